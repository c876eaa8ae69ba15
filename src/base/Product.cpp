#include "base/Product.h"

namespace pigmo::product {

QString version()
{
    return QStringLiteral(PIGMO_VERSION);
}

} // namespace pigmo::product
