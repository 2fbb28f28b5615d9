#pragma once
// The two values an installation leaves under the local machine key.

#include <string>

namespace installer {

inline constexpr char kProductKey[] = "Software\\TuvSoftware\\TheVarek! Demo";

// The folder of the running program, without a trailing '/'.
std::string ProgramFolder();

} // namespace installer
