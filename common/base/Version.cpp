#include "base/Version.h"

#include <QCoreApplication>

namespace qlnx {

QString ProductName()
{
    return QStringLiteral(QLNX_PRODUCT_NAME);
}

QString ProductVersion()
{
    return QStringLiteral(QLNX_PRODUCT_VERSION);
}

void SetApplicationVersion()
{
    QCoreApplication::setApplicationVersion(ProductVersion());
}

} // namespace qlnx
