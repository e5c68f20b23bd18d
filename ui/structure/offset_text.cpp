#include "ui/structure/offset_text.h"

QString OffsetText(std::uint64_t offset, OffsetBase base) {
    if (base == OffsetBase::Hex) return QStringLiteral("0x") + QString::number(offset, 16).toUpper();
    return QString::number(offset);
}
