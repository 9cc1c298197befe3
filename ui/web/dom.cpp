#include "ui/web/dom.h"

#include <emscripten/emscripten.h>

#include <cstdlib>
#include <memory>
#include <utility>

// Texts cross as a pointer and a length into the module's memory; texts coming back are allocated
// there by JavaScript and freed here. Each function catches its own failure and hands its
// description back through `failure`: thrown on, it would pass by the C++ frames' clean-up, and
// a rejected promise would leave a suspended check suspended for good.
//
// The description is allocated before HEAPU32 is read, since allocating may grow the memory and
// replace the heap's views.

// clang-format off
EM_JS(void, quadrant_bind, (const char* form, std::size_t formSize, const char* focus,
                            std::size_t focusSize, char** failure), {
  try {
    const element = document.getElementById(UTF8ToString(form, formSize));
    const marked = (key) => element.querySelector("[data-key=" + key + "]");
    // The dialogs are modal: while one is open, nothing may start a command inside the one that
    // opened it, be it a click, a key, an access key, which the browser still delivers behind the
    // dialog, or a script's click(). Nor in the moment after a dialog has closed, before the
    // command resumes (a script that closes it and clicks on): Asyncify holds the command's stack
    // aside until then.
    const busy = () =>
        document.querySelector("dialog[open]") !== null || Asyncify.currData !== null;
    for (const button of element.querySelectorAll("button")) {
      const handler = Module["_" + button.id + "_Click"];
      button.addEventListener("click", () => {
        if (!busy()) handler();
      });
      button.disabled = false;
    }
    document.addEventListener("keydown", (event) => {
      // While a dialog is open, the keys are its own; once the program has ended, nobody's.
      if (!element.isConnected || busy() || event.isComposing || event.altKey ||
          event.ctrlKey || event.metaKey || event.shiftKey) {
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
    // A dialog answers in the task of the key or click that closes it, and the command goes on
    // in that task too. Its "close" event comes later, as a task of its own, which Chromium runs
    // after input: keys typed on meanwhile went to the form and were lost, a Y typed ahead among
    // them. Closed another way (a phone's back gesture), it answers on that event.
    for (const dialog of document.querySelectorAll("dialog")) {
      const answer = (value) => {
        dialog.close(value);
        dialog.dispatchEvent(new Event("answer"));
      };
      dialog.addEventListener("submit", (event) => {
        event.preventDefault();
        answer(event.submitter ? event.submitter.value : "");
      });
      dialog.addEventListener("keydown", (event) => {
        if (event.key !== "Escape") return;
        // The form below must not see it either: the command may have ended by now.
        event.preventDefault();
        event.stopPropagation();
        answer("");
      });
      dialog.addEventListener("close", () => {
        // Unless the dialog has been shown again since, for the command's next question.
        if (!dialog.open) dialog.dispatchEvent(new Event("answer"));
      });
    }
    const box = document.getElementById(UTF8ToString(focus, focusSize));
    box.focus();
    box.setSelectionRange(0, 0);
    box.scrollLeft = 0;
    // When the program became ready: the shell stops waiting for it, and bench/ measures it.
    performance.mark("quadrant-ready");
  } catch (error) {
    const message = allocateUTF8(String(error));
    HEAPU32[failure >> 2] = message;
  }
});

EM_JS(void, quadrant_show_text, (const char* box, std::size_t boxSize, const char* text,
                                 std::size_t textSize, char** failure), {
  try {
    const element = document.getElementById(UTF8ToString(box, boxSize));
    element.value = UTF8ToString(text, textSize);
    element.setSelectionRange(0, 0);
    element.scrollLeft = 0;
  } catch (error) {
    const message = allocateUTF8(String(error));
    HEAPU32[failure >> 2] = message;
  }
});

EM_JS(void, quadrant_announce, (const char* region, std::size_t regionSize, const char* text,
                                std::size_t textSize, char** failure), {
  try {
    // A new text node each time, so that the same line twice is announced twice.
    document.getElementById(UTF8ToString(region, regionSize))
        .replaceChildren(document.createTextNode(UTF8ToString(text, textSize)));
  } catch (error) {
    const message = allocateUTF8(String(error));
    HEAPU32[failure >> 2] = message;
  }
});

// The languages that the user asks pages for, first to last, as the browser says. Intl rejects a
// whole list for one tag it cannot read (WebKitGTK reports "C" under the C locale), so each is
// tried alone.
EM_JS(char*, quadrant_decimal_separator, (char** failure), {
  try {
    for (const language of navigator.languages || [navigator.language]) {
      let format;
      try {
        format = new Intl.NumberFormat(language);
      } catch (unknown) {
        continue;
      }
      return allocateUTF8(format.formatToParts(0.5).find((part) => part.type === "decimal").value);
    }
    return allocateUTF8(".");
  } catch (error) {
    const message = allocateUTF8(String(error));
    HEAPU32[failure >> 2] = message;
    return 0;
  }
});

EM_ASYNC_JS(char*, quadrant_ask, (const char* dialog, std::size_t dialogSize, const char* prompt,
                                  std::size_t promptSize, const char* text, std::size_t textSize,
                                  char** failure), {
  try {
    const element = document.getElementById(UTF8ToString(dialog, dialogSize));
    const entry = element.querySelector("input");
    element.querySelector("label").textContent = UTF8ToString(prompt, promptSize);
    entry.value = UTF8ToString(text, textSize);
    element.returnValue = "";
    const answered =
        new Promise((resolve) => element.addEventListener("answer", resolve, {once: true}));
    element.showModal();
    entry.focus();
    entry.select();
    await answered;
    return allocateUTF8(element.returnValue ? entry.value : "");
  } catch (error) {
    const message = allocateUTF8(String(error));
    HEAPU32[failure >> 2] = message;
    return 0;
  }
});

EM_ASYNC_JS(void, quadrant_report, (const char* dialog, std::size_t dialogSize,
                                    const char* message, std::size_t messageSize), {
  const text = UTF8ToString(message, messageSize);
  try {
    const element = document.getElementById(UTF8ToString(dialog, dialogSize));
    element.querySelector("p").textContent = text;
    const answered =
        new Promise((resolve) => element.addEventListener("answer", resolve, {once: true}));
    element.showModal();
    await answered;
  } catch (error) {
    // The report is the last word of a failed check: it must be seen, if not in the page's dialog.
    alert(text + "\n\n" + error);
  }
});

EM_JS(void, quadrant_end, (const char* form, std::size_t formSize, const char* ended,
                           std::size_t endedSize, char** failure), {
  try {
    document.getElementById(UTF8ToString(form, formSize)).remove();
    const notice = document.getElementById(UTF8ToString(ended, endedSize));
    notice.hidden = false;
    notice.querySelector("a").focus();
    // Only a window that is the program's own closes: an installed app's, or one that another
    // page opened for it. A tab that the user opened stays, saying that the program has ended.
    if (window.opener || matchMedia("(display-mode: standalone)").matches) window.close();
  } catch (error) {
    const message = allocateUTF8(String(error));
    HEAPU32[failure >> 2] = message;
  }
});
// clang-format on

namespace web::dom {
namespace {

struct Free {
  void operator()(char* text) const { std::free(text); }
};

std::string Taken(char* text) { return std::unique_ptr<char, Free>(text).get(); }

// Where a function of the page leaves the description of its failure.
class Failure {
 public:
  Failure() = default;
  Failure(const Failure&) = delete;
  Failure& operator=(const Failure&) = delete;
  ~Failure() { std::free(description_); }

  char** Out() { return &description_; }

  // Throws what the page described, if anything.
  void Check() {
    if (description_ != nullptr) throw ScriptError(Taken(std::exchange(description_, nullptr)));
  }

 private:
  char* description_ = nullptr;
};

}  // namespace

void Bind(std::string_view form, std::string_view focus) {
  Failure failure;
  quadrant_bind(form.data(), form.size(), focus.data(), focus.size(), failure.Out());
  failure.Check();
}

void ShowText(std::string_view box, std::string_view text) {
  Failure failure;
  quadrant_show_text(box.data(), box.size(), text.data(), text.size(), failure.Out());
  failure.Check();
}

void Announce(std::string_view region, std::string_view text) {
  Failure failure;
  quadrant_announce(region.data(), region.size(), text.data(), text.size(), failure.Out());
  failure.Check();
}

std::string DecimalSeparator() {
  Failure failure;
  char* separator = quadrant_decimal_separator(failure.Out());
  failure.Check();
  return Taken(separator);
}

std::string Ask(std::string_view dialog, std::string_view prompt, std::string_view text) {
  Failure failure;
  char* answer = quadrant_ask(dialog.data(), dialog.size(), prompt.data(), prompt.size(),
                              text.data(), text.size(), failure.Out());
  failure.Check();
  return Taken(answer);
}

void Report(std::string_view dialog, std::string_view message) {
  quadrant_report(dialog.data(), dialog.size(), message.data(), message.size());
}

void End(std::string_view form, std::string_view ended) {
  Failure failure;
  quadrant_end(form.data(), form.size(), ended.data(), ended.size(), failure.Out());
  failure.Check();
}

}  // namespace web::dom
