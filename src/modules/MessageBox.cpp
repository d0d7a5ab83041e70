#include "modules/MessageBox.h"

#include "modules/Language.h"

namespace kestrel {

std::string AnswerCaption(MessageAnswer answer) {
    switch (answer) {
    case MessageAnswer::Ok:
        return GetProgramText(1430);
    case MessageAnswer::Cancel:
        return GetProgramText(1431);
    case MessageAnswer::Yes:
        return GetProgramText(1432);
    case MessageAnswer::No:
        return GetProgramText(1433);
    case MessageAnswer::Retry:
        return GetProgramText(1434);
    case MessageAnswer::Abort:
        return GetProgramText(1435);
    case MessageAnswer::Ignore:
        return GetProgramText(1436);
    }
    return {};
}

} // namespace kestrel
