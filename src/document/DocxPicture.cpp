#include "document/DocxPicture.h"

namespace docx {

QString pictureMark() {
    return QStringLiteral("（由 Veltrace 合成）");
}

} // namespace docx
