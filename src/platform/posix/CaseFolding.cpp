#include "platform/CaseFolding.h"

#include <QString>

namespace kestrel::platform {

std::string caseFoldedText(std::string_view text) {
    const QString folded = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toCaseFolded();
    return folded.toStdString();
}

} // namespace kestrel::platform
