#pragma once

#include <QString>

// The record behind one node of a course tree: the item id names the item's page in the section
// folder (id + ".xml"), the text is the caption the node shows (item markup). Each node owns its
// record; see TMarkupTreeView::NodeContent.
struct TContent {
    int id = 0;
    QString text;
};
