#include "base/Log.h"

namespace qlnx {

Q_LOGGING_CATEGORY(lcPlayback, "qlnx.playback", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPlayd, "qlnx.playd", QtWarningMsg)
Q_LOGGING_CATEGORY(lcMpris, "qlnx.mpris", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDrive, "qlnx.drive", QtWarningMsg)
Q_LOGGING_CATEGORY(lcCdio, "qlnx.cdio", QtWarningMsg)
Q_LOGGING_CATEGORY(lcImage, "qlnx.image", QtWarningMsg)
Q_LOGGING_CATEGORY(lcOnline, "qlnx.online", QtWarningMsg)
Q_LOGGING_CATEGORY(lcStartup, "qlnx.startup", QtWarningMsg)

} // namespace qlnx
