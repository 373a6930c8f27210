// The one error report of the library, and the general message boxes.
#include <cstdarg>
#include <cstdio>

#include "ox.h"

namespace oxSystem {

namespace {

constexpr UINT kReportStyle = MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL;
constexpr UINT kQuestionStyle = MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL;

// Formats into `text` and appends the line break, cutting the message so that the break always fits.
void FormatWithBreak(char (&text)[256], const char* format, va_list args) {
  int n = std::vsnprintf(text, sizeof text - 2, format, args);
  size_t used = n < 0 ? 0 : (size_t(n) < sizeof text - 2 ? size_t(n) : sizeof text - 3);
  text[used] = '\r';
  text[used + 1] = '\n';
  text[used + 2] = '\0';
}

// The texts are CP932. Windows would read them in the system's code page, which is not 932 outside Japan.
int ShowBox(const char* text, const char* caption, UINT style) {
#ifdef _WIN32
  wchar_t wideText[256], wideCaption[32];
  if (MultiByteToWideChar(932, 0, text, -1, wideText, 256) && MultiByteToWideChar(932, 0, caption, -1, wideCaption, 32))
    return MessageBoxW(libraryState.mainWindow, wideText, wideCaption, style);
#endif
  return MessageBoxA(libraryState.mainWindow, text, caption, style);
}

}  // namespace

int ErrorMessage(const char* function, const char* message, DWORD) {
  char text[256];
  std::snprintf(text, sizeof text, "%s : %s", function, Text(message));
  oxDraw::ShowGdiSurface();
  Beep();
  ShowBox(text, Text("エラー発生"), kReportStyle);
  return 0;
}

int Message(const char* format, ...) {
  char text[256];
  va_list args;
  va_start(args, format);
  format = Text(format);
  FormatWithBreak(text, format, args);
  va_end(args);
  oxDraw::ShowGdiSurface();
  return ShowBox(text, Text("メッセージ"), kReportStyle);
}

int YesNoMessage(const char* format, ...) {
  char text[256];
  va_list args;
  va_start(args, format);
  format = Text(format);
  FormatWithBreak(text, format, args);
  va_end(args);
  oxDraw::ShowGdiSurface();
  return ShowBox(text, Text("メッセージ"), kQuestionStyle) == IDYES ? 1 : 0;
}

int Beep() { return MessageBeep(0xFFFFFFFF); }

}  // namespace oxSystem
