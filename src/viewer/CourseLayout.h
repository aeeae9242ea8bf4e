#pragma once

#include "core/CourseSections.h"

#include <QString>
#include <array>

class TXMLDocument;

// Where a course lies inside the library folder. Folders end with '/'; numbers are plain decimal.
// Each path is the one found on disc whatever the case of its names (FindDiscFile), and as
// written when there is none.
//   course folder    library + course number + "/"
//   section folder   course folder + section id + "/"
//   tree document    course folder + section id + "/tree.xml"
//   item page        course folder + section id + "/" + item id + ".xml"

QString CourseFolder(const QString& libraryFolder, int courseNumber);
QString TreeDocumentPath(const QString& courseDir, int sectionId);
QString ItemPagePath(const QString& courseDir, int sectionId, int itemId);

// The collection presentation page, library + "ShowFavor.htm", as a URL whose fragment is the
// page list after its '#' ("#3;12;15$3;2010;7"; an empty list gives no fragment at all). Built
// from the path and the list apart, so a '#' or '%' in the library's folder names stays part of
// the path and the list reaches the page unchanged.
QString ShowFavorUrl(const QString& libraryFolder, const QString& pageList);

// Whether the section has a tree document whose root has at least one child. Never throws: a
// missing, unreadable or malformed document gives false. Leaves doc inactive. When a tree
// document exists but cannot be used, whyNot (if given) receives the reason, naming the file.
bool IsSectionAvailable(TXMLDocument& doc, const QString& courseDir, int sectionId,
                        QString* whyNot = nullptr);

// As IsSectionAvailable, and an available section's document is left parsed (active) in doc, so
// that the tree shown next is not read a second time.
bool ReadSectionIfAvailable(TXMLDocument& doc, const QString& courseDir, int sectionId,
                            QString* whyNot = nullptr);

// Availability of every section of SectionProbeOrder, in that order. lastFailure (if given)
// receives why the last section with a tree document could not be used, as IsSectionAvailable
// gives it; it is left alone when there is none.
std::array<bool, SectionProbeOrder.size()> ProbeSections(TXMLDocument& doc, const QString& courseDir,
                                                         QString* lastFailure = nullptr);

// As above, and the first available section's document is left parsed (active) in start, so
// that the tree the course opens with is not read a second time. start is left inactive when no
// section is available.
std::array<bool, SectionProbeOrder.size()> ProbeSections(TXMLDocument& doc, const QString& courseDir,
                                                         QString* lastFailure, TXMLDocument& start);

// Why a course has no available section, for the message the user sees: lastFailure is the
// reason the last section with a tree document failed (as IsSectionAvailable gives it), empty
// when no section has a tree document at all.
QString NoSectionReason(const QString& courseDir, const QString& lastFailure);

// The first available section in probe order; 0 when there is none.
int StartSection(const std::array<bool, SectionProbeOrder.size()>& available);

// The file name "Сохранить как PDF" proposes for a page: its title, or the item's caption (markup
// removed) when the page has none, with the characters file systems refuse replaced, spaces
// folded and the length kept reasonable; "Страница.pdf" when both are empty.
QString PdfFileName(const QString& pageTitle, const QString& itemCaption);
