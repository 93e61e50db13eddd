#pragma once
// The program's icon, made from the icon file compiled into the program.
#include <QIcon>

namespace kolvane {

QIcon ProgramIcon();

}  // namespace kolvane
