#pragma once

#include <QLoggingCategory>

namespace qlnx {

// One logging category per component. Warnings always show; debug output is off until
// QT_LOGGING_RULES turns it on, e.g. QT_LOGGING_RULES="qlnx.playd.debug=true" or
// "qlnx.*.debug=true" for all of them.
Q_DECLARE_LOGGING_CATEGORY(lcPlayback) // qlnx.playback: the playback logic, disc loading
Q_DECLARE_LOGGING_CATEGORY(lcPlayd)    // qlnx.playd: the playback service and its clients
Q_DECLARE_LOGGING_CATEGORY(lcMpris)    // qlnx.mpris: the media-player interface on D-Bus
Q_DECLARE_LOGGING_CATEGORY(lcDrive)    // qlnx.drive: every call to a drive, with its duration
Q_DECLARE_LOGGING_CATEGORY(lcCdio)     // qlnx.cdio: libcdio's own messages
Q_DECLARE_LOGGING_CATEGORY(lcImage)    // qlnx.image: disc images and their sheets
Q_DECLARE_LOGGING_CATEGORY(lcOnline)   // qlnx.online: lookups of disc data on the network
Q_DECLARE_LOGGING_CATEGORY(lcStartup)  // qlnx.startup: the first paint, then the disc shown

} // namespace qlnx
