#include "ui/win32/input_dialog.h"

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <vector>

#include "ui/win32/text.h"

namespace win32 {
namespace {

// The dialog's layout, in dialog units of its font, so that it follows the font and the DPI.
constexpr short kWidth = 246;
constexpr short kHeight = 80;
constexpr short kMargin = 7;
constexpr short kButtonWidth = 50;
constexpr short kButtonHeight = 14;
constexpr short kButtonLeft = kWidth - kMargin - kButtonWidth;
constexpr short kEditHeight = 12;

enum : WORD { kPromptId = 100, kEntryId = 101 };

// Predefined window classes, by the atoms a dialog template names them with.
enum : WORD { kButtonClass = 0x0080, kEditClass = 0x0081, kStaticClass = 0x0082 };

// A DLGTEMPLATEEX built in memory: a header, then one item per control, each DWORD-aligned.
class DialogTemplate {
 public:
  DialogTemplate(std::wstring_view title, std::wstring_view face, WORD points, DWORD style,
                 short width, short height) {
    Word(1);       // dlgVer
    Word(0xFFFF);  // signature: the extended form
    Dword(0);      // helpID
    Dword(0);      // exStyle
    Dword(style);
    count_ = words_.size();
    Word(0);  // cDlgItems, counted as items are added
    Short(0);
    Short(0);
    Short(width);
    Short(height);
    Word(0);  // no menu
    Word(0);  // the dialog class
    String(title);
    Word(points);
    Word(FW_NORMAL);
    Word(MAKEWORD(FALSE, DEFAULT_CHARSET));  // italic, character set
    String(face);
  }

  void Add(WORD windowClass, WORD id, DWORD style, std::wstring_view text, short x, short y,
           short width, short height) {
    Align();
    Dword(0);  // helpID
    Dword(0);  // exStyle
    Dword(style | WS_CHILD | WS_VISIBLE);
    Short(x);
    Short(y);
    Short(width);
    Short(height);
    Dword(id);
    Word(0xFFFF);
    Word(windowClass);
    String(text);
    Word(0);  // no creation data
    ++words_[count_];
  }

  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Word(WORD value) { words_.push_back(value); }
  void Short(short value) { words_.push_back(static_cast<WORD>(value)); }
  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void String(std::wstring_view text) {
    words_.insert(words_.end(), text.begin(), text.end());
    Word(0);
  }
  void Align() {
    if (words_.size() % 2 != 0) Word(0);
  }

  std::vector<WORD> words_;  // WORD-aligned by construction; vector's storage is DWORD-aligned
  std::size_t count_ = 0;
};

// What the dialog procedure hands back to AskText.
struct Answer {
  std::wstring text;
  std::exception_ptr failure;  // nothing may leave a dialog procedure by an exception
};

std::wstring EntryText(HWND entry) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(entry)), L'\0');
  if (!text.empty()) {
    // The length is an upper bound; the copy tells the true one.
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(entry, text.data(), static_cast<int>(text.size()) + 1)));
  }
  return text;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      const HWND entry = GetDlgItem(dialog, kEntryId);
      SendMessageW(entry, EM_SETLIMITTEXT, 0, 0);  // as long as memory allows, not 32K
      SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(entry), TRUE);
      SendMessageW(entry, EM_SETSEL, 0, -1);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND: {
      auto* answer = reinterpret_cast<Answer*>(GetWindowLongPtrW(dialog, DWLP_USER));
      switch (LOWORD(wParam)) {
        case IDOK:
          try {
            answer->text = EntryText(GetDlgItem(dialog, kEntryId));
          } catch (...) {
            answer->failure = std::current_exception();
          }
          EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:  // Escape and the close box come here too
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    }
    default:
      return FALSE;
  }
}

}  // namespace

std::string AskText(HWND owner, std::string_view title, std::string_view prompt,
                    std::string_view defaultText, std::string_view ok, std::string_view cancel) {
  // "MS Shell Dlg" with DS_SHELLFONT is the system's dialog font, whatever it is called today.
  DialogTemplate dialog(
      Widen(title), L"MS Shell Dlg", 8,
      DS_SHELLFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, kWidth,
      kHeight);
  constexpr short kEntryTop = kHeight - kMargin - kEditHeight;
  dialog.Add(kStaticClass, kPromptId, SS_LEFT | SS_NOPREFIX, Widen(prompt), kMargin, kMargin,
             kButtonLeft - 2 * kMargin, kEntryTop - 2 * kMargin);
  dialog.Add(kEditClass, kEntryId, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, Widen(defaultText),
             kMargin, kEntryTop, kWidth - 2 * kMargin, kEditHeight);
  dialog.Add(kButtonClass, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, Widen(ok), kButtonLeft, kMargin,
             kButtonWidth, kButtonHeight);
  dialog.Add(kButtonClass, IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, Widen(cancel), kButtonLeft,
             kMargin + kButtonHeight + 4, kButtonWidth, kButtonHeight);

  Answer answer;
  const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.get(), owner,
                                                 DialogProc, reinterpret_cast<LPARAM>(&answer));
  if (result == -1 || result == 0) {
    throw std::runtime_error("DialogBoxIndirectParamW failed, error " +
                             std::to_string(GetLastError()));
  }
  if (answer.failure) std::rethrow_exception(answer.failure);
  return result == IDOK ? Narrow(answer.text) : std::string();
}

}  // namespace win32
