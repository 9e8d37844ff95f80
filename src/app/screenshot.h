// Pictures of the window for checking its look without a display: the
// header page, the "線分" page and the "線色" page, saved as PNG files.
#pragma once

#include <QString>

namespace jw {

class TForm1;

// Saves header.png, line.png and color.png of the shown window into folder (created
// when missing). False when a picture could not be written.
bool SaveScreenshots(TForm1& form, const QString& folder);

}  // namespace jw
