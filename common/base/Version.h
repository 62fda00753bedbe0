#pragma once

#include <QString>

namespace qlnx {

// The product's name and version, as the build gives them (CMake's project version): what
// --version prints and the package carries.
QString ProductName();
QString ProductVersion();

// Sets them on the application, so that QCommandLineParser's --version prints them. The About
// box keeps its own caption text.
void SetApplicationVersion();

} // namespace qlnx
