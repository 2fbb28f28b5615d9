#pragma once
// The pointer's shape by cursor id: the system's arrow (32512) and "no" (32648), or
// one of the program's cursor resources (208 one dragged item, 209 several), drawn
// with the window system's nearest shapes. Any other id shows the arrow.

namespace platform {

void SetCursorShape(int id);
int CursorShape();

} // namespace platform
