#include "platform/win/MessageBox.h"

#include "platform/files/Cp1252.h"
#include "platform/win/NativeWindow.h"

#include "platform/win/SdlApi.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>

namespace platform {

namespace {

std::mutex answerMutex;
std::deque<int> queuedAnswers;
MessageBoxLogFn logHook = nullptr;

int DefaultAnswer(uint32_t buttons)
{
    switch (buttons) {
    case MB_OKCANCEL:
        return IDCANCEL;
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return IDNO;
    default:
        return IDOK;
    }
}

const char* AnswerName(int answer)
{
    switch (answer) {
    case IDOK:
        return "OK";
    case IDCANCEL:
        return "Cancel";
    case IDYES:
        return "Yes";
    case IDNO:
        return "No";
    default:
        return "?";
    }
}

} // namespace

bool NonInteractive()
{
    const char* v = std::getenv("VAREK_NONINTERACTIVE");
    return v && *v && std::string(v) != "0";
}

void QueueMessageBoxAnswer(int answer)
{
    std::lock_guard<std::mutex> lock(answerMutex);
    queuedAnswers.push_back(answer);
}

void ClearMessageBoxAnswers()
{
    std::lock_guard<std::mutex> lock(answerMutex);
    queuedAnswers.clear();
}

void SetMessageBoxLog(MessageBoxLogFn log)
{
    logHook = log;
}

int MessageBox(HWND owner, std::string_view text, std::string_view caption, uint32_t type)
{
    uint32_t buttons = type & 0x0F;
    if (NonInteractive()) {
        int answer = DefaultAnswer(buttons);
        {
            std::lock_guard<std::mutex> lock(answerMutex);
            if (!queuedAnswers.empty()) {
                answer = queuedAnswers.front();
                queuedAnswers.pop_front();
            }
        }
        std::string line =
            "MessageBox [" + std::string(caption) + "] " + std::string(text) + " -> " + AnswerName(answer);
        std::fprintf(stderr, "%s\n", Cp1252ToUtf8(line).c_str());
        if (logHook)
            logHook(line.c_str());
        return answer;
    }

    SDL_MessageBoxButtonData data[3];
    int count = 0;
    auto add = [&](int id, const char* label, uint32_t flags) { data[count++] = {flags, id, label}; };
    const uint32_t enter = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    const uint32_t escape = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    switch (buttons) {
    case MB_OKCANCEL:
        add(IDOK, "OK", enter);
        add(IDCANCEL, "Cancel", escape);
        break;
    case MB_YESNO:
        add(IDYES, "Yes", enter);
        add(IDNO, "No", escape);
        break;
    case MB_YESNOCANCEL:
        add(IDYES, "Yes", enter);
        add(IDNO, "No", 0);
        add(IDCANCEL, "Cancel", escape);
        break;
    default:
        add(IDOK, "OK", enter | escape);
        break;
    }
    uint32_t icon = type & 0xF0;
    uint32_t flags = icon == MB_ICONHAND          ? SDL_MESSAGEBOX_ERROR
                     : icon == MB_ICONEXCLAMATION ? SDL_MESSAGEBOX_WARNING
                                                  : SDL_MESSAGEBOX_INFORMATION;
    std::string utfText = Cp1252ToUtf8(text), utfCaption = Cp1252ToUtf8(caption);
    SDL_MessageBoxData box{};
    box.flags = flags;
    box.window = NativeWindow(owner);
    box.title = utfCaption.c_str();
    box.message = utfText.c_str();
    box.numbuttons = count;
    box.buttons = data;
    int pressed = -1;
    if (SDL_ShowMessageBox(&box, &pressed) != 0 || pressed < 0) {
        std::fprintf(stderr, "%s: %s\n", utfCaption.c_str(), utfText.c_str());
        return DefaultAnswer(buttons);
    }
    return pressed;
}

} // namespace platform
