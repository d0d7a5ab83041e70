#pragma once

#include <functional>
#include <string>

namespace kestrel::testing {

// Runs `body` in a forked child as the user nobody when the tests run as root (root reads and
// writes every folder, so a permission case would prove nothing), else in this process. Gives
// back what the body returned; the child's files and folders must be open to nobody.
std::string AsUnprivilegedUser(const std::function<std::string()>& body);

} // namespace kestrel::testing
