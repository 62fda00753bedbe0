#pragma once

#include <QString>
#include <QStringList>

class QIODevice;

namespace qlnxdc {

// The conversion without the window:
//   qlnxdc --format kvt|win|cddb [--skip-track-zero] SOURCE DESTDIR
// The log goes to out, one line each, a line the window shows in red prefixed with "! ";
// failure messages go to err. arguments are the program's arguments without its name.
// Returns the exit status: 0 the run completed, 1 it stopped on a failure, 2 the arguments were
// wrong, 3 a track 0 turned up in a source read as old KVT (the run stopped there).
int RunBatch(const QStringList& arguments, QIODevice& out, QIODevice& err);

QString BatchHelpText();

} // namespace qlnxdc
