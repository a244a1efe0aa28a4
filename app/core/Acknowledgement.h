#pragma once

#include <string>

// The texts a click on the main window's empty client area puts in the two
// text boxes: four lines each, CR LF between lines, none after the last.
namespace Acknowledgement {

std::wstring Text1();  // thanks, signed by the team
std::wstring Text2();  // where to read more

}  // namespace Acknowledgement
