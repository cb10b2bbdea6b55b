#pragma once

#include <QString>

class QWidget;

namespace test
{

// Draws `window` as the offscreen platform shows it and saves it as `<build folder>/screenshots/<name>.png`
// for a person to look at. Returns the path, or an empty text when the picture could not be made or saved.
QString saveScreenshot(QWidget* window, const QString& name);

} // namespace test
