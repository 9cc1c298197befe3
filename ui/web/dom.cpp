#include "ui/web/dom.h"

#include <emscripten/emscripten.h>

#include <cstdlib>
#include <memory>

// Texts cross as a pointer and a length into the module's memory; texts coming back are allocated
// there by JavaScript and freed here.

// clang-format off
EM_JS(void, quadrant_bind, (const char* form, std::size_t formSize, const char* focus,
                            std::size_t focusSize), {
  const element = document.getElementById(UTF8ToString(form, formSize));
  const marked = (key) => element.querySelector("[data-key=" + key + "]");
  for (const button of element.querySelectorAll("button")) {
    const handler = Module["_" + button.id + "_Click"];
    button.addEventListener("click", () => handler());
    button.disabled = false;
  }
  document.addEventListener("keydown", (event) => {
    // While a dialog is open, the keys are its own; once the program has ended, nobody's.
    if (!element.isConnected || document.querySelector("dialog[open]") || event.isComposing ||
        event.altKey || event.ctrlKey || event.metaKey || event.shiftKey) {
      return;
    }
    // Enter on a focused button presses that button, which the browser does by itself.
    const button = event.key === "Escape" ? marked("cancel")
        : event.key === "Enter" && event.target instanceof HTMLInputElement ? marked("default")
        : null;
    if (button) {
      // Taken here, the key can neither reach the dialog that the button opens nor confirm it.
      event.preventDefault();
      button.click();
    }
  });
  const box = document.getElementById(UTF8ToString(focus, focusSize));
  box.focus();
  box.setSelectionRange(0, 0);
  box.scrollLeft = 0;
  // When the program became ready, for the measurements under bench/.
  performance.mark("quadrant-ready");
});

EM_JS(void, quadrant_show_text, (const char* box, std::size_t boxSize, const char* text,
                                 std::size_t textSize), {
  const element = document.getElementById(UTF8ToString(box, boxSize));
  element.value = UTF8ToString(text, textSize);
  element.setSelectionRange(0, 0);
  element.scrollLeft = 0;
});

// The languages that the user asks pages for, first to last, as the browser says.
EM_JS(char*, quadrant_decimal_separator, (), {
  const parts = new Intl.NumberFormat(navigator.languages).formatToParts(0.5);
  return allocateUTF8(parts.find((part) => part.type === "decimal").value);
});

EM_ASYNC_JS(char*, quadrant_ask, (const char* dialog, std::size_t dialogSize, const char* prompt,
                                  std::size_t promptSize, const char* text, std::size_t textSize), {
  const element = document.getElementById(UTF8ToString(dialog, dialogSize));
  const entry = element.querySelector("input");
  element.querySelector("label").textContent = UTF8ToString(prompt, promptSize);
  entry.value = UTF8ToString(text, textSize);
  element.returnValue = "";
  const closed = new Promise((resolve) => element.addEventListener("close", resolve, {once: true}));
  element.showModal();
  entry.focus();
  entry.select();
  await closed;
  return allocateUTF8(element.returnValue ? entry.value : "");
});

EM_ASYNC_JS(void, quadrant_report, (const char* dialog, std::size_t dialogSize,
                                    const char* message, std::size_t messageSize), {
  const element = document.getElementById(UTF8ToString(dialog, dialogSize));
  element.querySelector("p").textContent = UTF8ToString(message, messageSize);
  const closed = new Promise((resolve) => element.addEventListener("close", resolve, {once: true}));
  element.showModal();
  await closed;
});

EM_JS(void, quadrant_end, (const char* form, std::size_t formSize, const char* ended,
                           std::size_t endedSize), {
  document.getElementById(UTF8ToString(form, formSize)).remove();
  document.getElementById(UTF8ToString(ended, endedSize)).hidden = false;
  // A page may close only a window that was opened for it: an installed app's own, one opened by
  // another page, or a tab that has shown nothing else. Elsewhere the browser refuses, and says so.
  if (window.opener || history.length === 1 ||
      matchMedia("(display-mode: standalone)").matches) {
    window.close();
  }
});
// clang-format on

namespace web::dom {
namespace {

struct Free {
  void operator()(char* text) const { std::free(text); }
};

std::string Taken(char* text) { return std::unique_ptr<char, Free>(text).get(); }

}  // namespace

void Bind(std::string_view form, std::string_view focus) {
  quadrant_bind(form.data(), form.size(), focus.data(), focus.size());
}

void ShowText(std::string_view box, std::string_view text) {
  quadrant_show_text(box.data(), box.size(), text.data(), text.size());
}

std::string DecimalSeparator() { return Taken(quadrant_decimal_separator()); }

std::string Ask(std::string_view dialog, std::string_view prompt, std::string_view text) {
  return Taken(quadrant_ask(dialog.data(), dialog.size(), prompt.data(), prompt.size(), text.data(),
                            text.size()));
}

void Report(std::string_view dialog, std::string_view message) {
  quadrant_report(dialog.data(), dialog.size(), message.data(), message.size());
}

void End(std::string_view form, std::string_view ended) {
  quadrant_end(form.data(), form.size(), ended.data(), ended.size());
}

}  // namespace web::dom
