// The module's message box and a small text helper used everywhere.
#pragma once
#include <string>

namespace yz {

// Type 1: caption "提示" with the warning icon; type 2: "错误" with the error icon. Kind 1
// OK, 2 OK/Cancel, 3 Yes/No, 4 Yes/No/Cancel. Answers 1 OK, 2 Cancel, 6 Yes, 7 No. Any other
// type or kind shows nothing and answers 0.
int ShowBox(const std::string& text, int type, int kind);
// A plain information box (the platform's ShowMessage).
void ShowPlain(const std::string& text);
// The last n characters of a text.
std::string RightText(const std::string& text, int n);

}  // namespace yz
