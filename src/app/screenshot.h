// Pictures of the window for checking its look without a display: the
// header page, the "線分", "線色" and "図面" pages, and the question a save
// would ask, saved as PNG files.
#pragma once

#include <QString>

namespace jw {

class TForm1;

// Saves header.png, line.png, color.png and drawing.png of the shown window,
// and save-question.png when a save in the lists' version and encoding would
// ask one, into folder (created when missing). False when a picture could not
// be written.
bool SaveScreenshots(TForm1& form, const QString& folder);

}  // namespace jw
