#pragma once

#include <QPixmap>
#include <QString>

// Shell icons of SSYS: and LSYS: pictures. `source` is an index into the system icon list or a
// file or folder path; a path that does not exist gets the icon of its name and extension.
namespace MarkupShellIcon {

// Icon size of the small (16) or large (32) list at 96 pixels per inch.
int IconSize(bool large);

// The icon at `size` pixels; a null pixmap when no icon can be had (no widget application).
QPixmap Icon(const QString& source, bool large, int size);

} // namespace MarkupShellIcon
