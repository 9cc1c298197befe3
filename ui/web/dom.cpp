#include "ui/web/dom.h"

#include <emscripten/emscripten.h>

#include <cstdlib>
#include <memory>
#include <type_traits>

// Defined in dom.js. Texts cross as a pointer and a length; a text coming back is allocated in the
// module's heap and freed here. Where a function fails, it leaves its failure's description in
// `failure` instead of throwing past the C++ frames.
extern "C" {
void quadrant_on_press(const char* button, std::size_t buttonSize, void (*handler)());
void quadrant_bind(const char* form, std::size_t formSize, const char* focus, std::size_t focusSize,
                   char** failure);
void quadrant_show_text(const char* box, std::size_t boxSize, const char* text,
                        std::size_t textSize, char** failure);
void quadrant_announce(const char* region, std::size_t regionSize, const char* text,
                       std::size_t textSize, char** failure);
char* quadrant_decimal_separator(char** failure);
char* quadrant_ask(const char* dialog, std::size_t dialogSize, const char* prompt,
                   std::size_t promptSize, const char* text, std::size_t textSize, char** failure);
void quadrant_report(const char* dialog, std::size_t dialogSize, const char* message,
                     std::size_t messageSize);
void quadrant_end(const char* form, std::size_t formSize, const char* ended, std::size_t endedSize,
                  const char* region, std::size_t regionSize, char** failure);
}

// The page calls a button's handler through here, so that the stack that it puts aside while a
// dialog is open starts at an export, which is where Asyncify resumes it.
extern "C" EMSCRIPTEN_KEEPALIVE void quadrant_press(void (*handler)()) { handler(); }

namespace web::dom {
namespace {

struct Free {
  void operator()(char* text) const { std::free(text); }
};

std::string Taken(char* text) { return std::unique_ptr<char, Free>(text).get(); }

// Runs `call` with the out-parameter of a function of the page, and throws the failure that the
// page described there, if any.
template <typename Call>
auto Checked(Call call) {
  char* failure = nullptr;
  auto thrown = [&failure] {
    if (failure != nullptr) throw ScriptError(Taken(failure));
  };
  if constexpr (std::is_void_v<decltype(call(&failure))>) {
    call(&failure);
    thrown();
  } else {
    auto result = call(&failure);
    thrown();
    return result;
  }
}

}  // namespace

void Bind(std::string_view form, std::string_view focus, std::initializer_list<Press> presses) {
  for (const Press& press : presses) {
    quadrant_on_press(press.button.data(), press.button.size(), press.handler);
  }
  Checked([&](char** failure) {
    quadrant_bind(form.data(), form.size(), focus.data(), focus.size(), failure);
  });
}

void ShowText(std::string_view box, std::string_view text) {
  Checked([&](char** failure) {
    quadrant_show_text(box.data(), box.size(), text.data(), text.size(), failure);
  });
}

void Announce(std::string_view region, std::string_view text) {
  Checked([&](char** failure) {
    quadrant_announce(region.data(), region.size(), text.data(), text.size(), failure);
  });
}

std::string DecimalSeparator() { return Taken(Checked(quadrant_decimal_separator)); }

std::string Ask(std::string_view dialog, std::string_view prompt, std::string_view text) {
  return Taken(Checked([&](char** failure) {
    return quadrant_ask(dialog.data(), dialog.size(), prompt.data(), prompt.size(), text.data(),
                        text.size(), failure);
  }));
}

void Report(std::string_view dialog, std::string_view message) {
  quadrant_report(dialog.data(), dialog.size(), message.data(), message.size());
}

void End(std::string_view form, std::string_view ended, std::string_view region) {
  Checked([&](char** failure) {
    quadrant_end(form.data(), form.size(), ended.data(), ended.size(), region.data(), region.size(),
                 failure);
  });
}

}  // namespace web::dom
