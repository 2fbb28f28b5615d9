#pragma once
// Modal message boxes. With VAREK_NONINTERACTIVE=1 nothing is shown: the box is
// written to standard error and to the log hook, and it returns the answer a test
// queued for it, else the safe default (OK for OK boxes, Cancel for OK/Cancel, No for
// Yes/No and Yes/No/Cancel).

#include "platform/win/Window.h"

#include <cstdint>
#include <string_view>

namespace platform {

constexpr uint32_t MB_OK = 0x00;
constexpr uint32_t MB_OKCANCEL = 0x01;
constexpr uint32_t MB_YESNOCANCEL = 0x03;
constexpr uint32_t MB_YESNO = 0x04;
constexpr uint32_t MB_ICONHAND = 0x10;
constexpr uint32_t MB_ICONQUESTION = 0x20;
constexpr uint32_t MB_ICONEXCLAMATION = 0x30;
constexpr uint32_t MB_ICONINFORMATION = 0x40;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Text and caption are Windows-1252. Returns the button pressed.
int MessageBox(HWND owner, std::string_view text, std::string_view caption, uint32_t type);

// True when VAREK_NONINTERACTIVE is set to something other than "0" or empty.
bool NonInteractive();
// The next non-interactive box returns this answer (first queued, first used).
void QueueMessageBoxAnswer(int answer);
void ClearMessageBoxAnswers();
// Where non-interactive boxes are logged besides standard error (one line each).
using MessageBoxLogFn = void (*)(const char* line);
void SetMessageBoxLog(MessageBoxLogFn log);

} // namespace platform
