#pragma once

#include <QString>

class TCatalogueModel;

// Why a library shows no course, for the catalogue's empty state and the line on stderr: the
// folder is not there (a disc not inserted), cannot be read, holds no course descriptors, or
// holds descriptors none of which could be used. Empty when the model has courses.
QString EmptyLibraryReason(const QString& folder, const TCatalogueModel& model);
