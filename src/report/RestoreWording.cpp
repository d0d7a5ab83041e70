#include "report/RestoreWording.h"

namespace kestrel {

namespace {

struct Reworded {
    int backup;
    int restore;
};

// What the backup's words say of the target, said of the destination.
constexpr Reworded kRestoreWords[] = {
    {65, 1939},   {66, 1940},   {1137, 1929}, {1138, 1930}, {1139, 1931}, {1140, 1932}, {1141, 1933},
    {1143, 1934}, {1144, 1935}, {1149, 1936}, {1150, 1937}, {1151, 1938}, {1152, 1934}, {1153, 1935},
    {1168, 1941}, {1169, 1942}, {1170, 1943}, {1177, 1942}, {1178, 1943}, {1179, 1944},
};

} // namespace

int WordingOf(const OperationState& state, int number) {
    if (!state.restore.active)
        return number;
    for (const Reworded& words : kRestoreWords)
        if (words.backup == number)
            return words.restore;
    return number;
}

} // namespace kestrel
