// The page's side of dom.h, linked into the program as an emscripten JavaScript library.
//
// Texts cross as a pointer and a length into the module's memory; texts coming back are allocated
// there and freed by the C++ side. A function that can fail takes `failure`, where the guard
// leaves the description of what went wrong: thrown on, it would pass by the C++ frames'
// clean-up, and a rejected promise would leave a suspended check suspended for good.
//
// Ask and Report wait for the user: the C++ stack is put aside (Asyncify) until the dialog answers.

// The library's own helpers ($name below), as emscripten names them in the generated code:
/* global quadrantGuard, quadrantAnswerInTime, quadrantFreshDialog, quadrantShowModal,
   quadrantShowWhole, quadrantPresses */

mergeInto(LibraryManager.library, {
  // Runs `body`, sync or async. On a failure, the description goes to `failure` and the result is
  // 0, the null pointer. The description is allocated before HEAPU32 is read, since allocating may
  // grow the memory and replace the heap's views.
  $quadrantGuard: function(failure, body) {
    const fail = (error) => {
      const message = allocateUTF8(String(error));
      HEAPU32[failure >> 2] = message;
      return 0;
    };
    try {
      const result = body();
      return result instanceof Promise ? result.catch(fail) : result;
    } catch (error) {
      return fail(error);
    }
  },

  // A dialog answers in the task of the key or click that closes it, and the command goes on in
  // that task too. Its "close" event comes later, as a task of its own, which Chromium runs after
  // input: keys typed on meanwhile went to the form and were lost, a Y typed ahead among them.
  // Closed another way (a phone's back gesture), it answers on that event.
  $quadrantAnswerInTime: function(dialog) {
    const answer = (value) => {
      dialog.close(value);
      dialog.dispatchEvent(new Event('answer'));
    };
    dialog.addEventListener('submit', (event) => {
      event.preventDefault();
      answer(event.submitter ? event.submitter.value : '');
    });
    dialog.addEventListener('keydown', (event) => {
      if (event.key !== 'Escape') return;
      // The form below must not see it either: the command may have ended by now.
      event.preventDefault();
      event.stopPropagation();
      answer('');
    });
    dialog.addEventListener('close', () => {
      // Unless the dialog has been shown again since, for the command's next question.
      if (!dialog.open) dialog.dispatchEvent(new Event('answer'));
    });
  },

  // The dialog of that id, made afresh for each question, so that a screen reader meets each as
  // a new one: shown again, the same dialog and entry field would only change their label.
  $quadrantFreshDialog__deps: ['$quadrantAnswerInTime'],
  $quadrantFreshDialog: function(id) {
    const old = document.getElementById(id);
    const dialog = old.cloneNode(true);
    old.replaceWith(dialog);
    quadrantAnswerInTime(dialog);
    return dialog;
  },

  // Shows a modal dialog and resolves once it has answered. The live regions are emptied first:
  // as the dialog closes and the page behind it comes back, a screen reader would say their old
  // news again.
  $quadrantShowModal: function(dialog) {
    for (const region of document.querySelectorAll('[role=status], [aria-live]')) {
      region.replaceChildren();
    }
    const answered = new Promise(
        (resolve) => dialog.addEventListener('answer', resolve, {once: true}));
    dialog.showModal();
    return answered;
  },

  // Shows `text` in the box from its first character. A line longer than the box shows its start,
  // as on the desktop; but where the user's own style spaces letters or words wider (WCAG's text
  // spacing), a line that the design's box holds would no longer fit, and the form grows by what
  // it lacks (--wider, form1.css), as far as the page's width allows.
  $quadrantShowWhole: function(box, text) {
    const form = box.parentElement;
    form.style.removeProperty('--wider');
    box.value = text;
    box.setSelectionRange(0, 0);
    box.scrollLeft = 0;
    const style = getComputedStyle(box);
    if (!(parseFloat(style.letterSpacing) > 0 || parseFloat(style.wordSpacing) > 0)) return;
    const edges = form.getBoundingClientRect();
    const room = document.documentElement.clientWidth - edges.right - edges.left;
    const lacking = Math.min(box.scrollWidth - box.clientWidth, room);
    if (lacking > 0) form.style.setProperty('--wider', lacking + 'px');
  },

  // What each button's press calls, by the button's id: a function of the program, called through
  // its way in for the page (quadrant_press).
  $quadrantPresses: {},
  quadrant_on_press__deps: ['$quadrantPresses'],
  quadrant_on_press: function(button, buttonSize, handler) {
    quadrantPresses[UTF8ToString(button, buttonSize)] = handler;
  },

  quadrant_bind__deps: ['$quadrantGuard', '$quadrantShowWhole', '$quadrantPresses'],
  quadrant_bind: function(form, formSize, focus, focusSize, failure) {
    return quadrantGuard(failure, () => {
      const element = document.getElementById(UTF8ToString(form, formSize));
      const marked = (key) => element.querySelector('[data-key=' + key + ']');
      // The dialogs are modal: while one is open, nothing may start a command inside the one that
      // opened it, be it a click, a key, an access key, which the browser still delivers behind the
      // dialog, or a script's click(). Nor in the moment after a dialog has closed, before the
      // command resumes (a script that closes it and clicks on): Asyncify holds the command's stack
      // aside until then.
      const busy = () =>
          document.querySelector('dialog[open]') !== null || Asyncify.currData !== null;
      for (const button of element.querySelectorAll('button')) {
        const handler = quadrantPresses[button.id];
        if (handler === undefined) throw new Error(`nothing to call for ${button.id}`);
        button.addEventListener('click', () => {
          if (!busy()) Module['_quadrant_press'](handler);
        });
        button.disabled = false;
      }
      document.addEventListener('keydown', (event) => {
        // While a dialog is open, the keys are its own; once the program has ended, nobody's.
        if (!element.isConnected || busy() || event.isComposing || event.altKey || event.ctrlKey ||
            event.metaKey || event.shiftKey) {
          return;
        }
        // Enter on a focused button presses that button, which the browser does by itself.
        const button = event.key === 'Escape' ? marked('cancel')
            : event.key === 'Enter' && event.target instanceof HTMLInputElement ? marked('default')
            : null;
        if (button) {
          // Taken here, the key can neither reach the dialog that the button opens nor confirm it.
          event.preventDefault();
          button.click();
        }
      });
      const box = document.getElementById(UTF8ToString(focus, focusSize));
      // Safari on a phone zooms the page as a field whose text is under 16 px takes the focus.
      // On a touch screen, where the form's scale puts Text1's text below that, its text is set at
      // 16 px in a box as much larger and drawn smaller by --shrink (quadrant.css): the form keeps
      // its proportions and the line its room.
      const fit = () => {
        element.style.removeProperty('--shrink');
        const shrink = parseFloat(getComputedStyle(box).fontSize) / 16;
        if (matchMedia('(pointer: coarse)').matches && shrink < 1) {
          element.style.setProperty('--shrink', shrink);
        }
      };
      fit();
      window.addEventListener('resize', fit);
      box.focus();
      quadrantShowWhole(box, box.value);
      // When the program became ready: the shell stops waiting for it, and bench/ measures it.
      performance.mark('quadrant-ready');
    });
  },

  quadrant_show_text__deps: ['$quadrantGuard', '$quadrantShowWhole'],
  quadrant_show_text: function(box, boxSize, text, textSize, failure) {
    return quadrantGuard(failure, () => quadrantShowWhole(
        document.getElementById(UTF8ToString(box, boxSize)), UTF8ToString(text, textSize)));
  },

  quadrant_announce__deps: ['$quadrantGuard'],
  quadrant_announce: function(region, regionSize, text, textSize, failure) {
    return quadrantGuard(failure, () => {
      const said = UTF8ToString(text, textSize);
      // A screen reader reads the focused box itself, as the focus comes back to it.
      const focused = document.activeElement;
      if (focused instanceof HTMLInputElement && focused.value === said) return;
      const live = document.getElementById(UTF8ToString(region, regionSize));
      // Said once the page behind the dialog is back, two frames on: Firefox builds its
      // accessible anew as the dialog closes, and news given before is lost. Not at all where a
      // dialog has opened since: a new question has come. A new text node each time, so that the
      // same line twice is announced twice.
      const say = () => {
        if (!document.querySelector('dialog[open]')) {
          live.replaceChildren(document.createTextNode(said));
        }
      };
      requestAnimationFrame(() => requestAnimationFrame(say));
    });
  },

  // The languages that the user asks pages for, first to last, as the browser says. Intl rejects a
  // whole list for one tag it cannot read (WebKitGTK reports "C" under the C locale), so each is
  // tried alone.
  quadrant_decimal_separator__deps: ['$quadrantGuard'],
  quadrant_decimal_separator: function(failure) {
    return quadrantGuard(failure, () => {
      for (const language of navigator.languages || [navigator.language]) {
        let format;
        try {
          format = new Intl.NumberFormat(language);
        } catch (unknown) {
          continue;
        }
        const parts = format.formatToParts(0.5);
        return allocateUTF8(parts.find((part) => part.type === 'decimal').value);
      }
      return allocateUTF8('.');
    });
  },

  quadrant_ask__deps: ['$quadrantGuard', '$quadrantFreshDialog', '$quadrantShowModal'],
  quadrant_ask: function(dialog, dialogSize, prompt, promptSize, text, textSize, failure) {
    return Asyncify.handleAsync(() => quadrantGuard(failure, async () => {
      const element = quadrantFreshDialog(UTF8ToString(dialog, dialogSize));
      const entry = element.querySelector('input');
      element.querySelector('label').textContent = UTF8ToString(prompt, promptSize);
      entry.value = UTF8ToString(text, textSize);
      element.returnValue = '';
      const answered = quadrantShowModal(element);
      entry.focus();
      entry.select();
      await answered;
      return allocateUTF8(element.returnValue ? entry.value : '');
    }));
  },

  quadrant_report__deps: ['$quadrantFreshDialog', '$quadrantShowModal'],
  quadrant_report: function(dialog, dialogSize, message, messageSize) {
    return Asyncify.handleAsync(async () => {
      const text = UTF8ToString(message, messageSize);
      try {
        const element = quadrantFreshDialog(UTF8ToString(dialog, dialogSize));
        element.querySelector('p').textContent = text;
        await quadrantShowModal(element);
      } catch (error) {
        // The report is the last word of a failed check: it must be seen, if not in the page's
        // dialog.
        alert(text + '\n\n' + error);
      }
    });
  },

  quadrant_end__deps: ['$quadrantGuard'],
  quadrant_end: function(form, formSize, ended, endedSize, region, regionSize, failure) {
    return quadrantGuard(failure, () => {
      document.getElementById(UTF8ToString(form, formSize)).remove();
      const notice = document.getElementById(UTF8ToString(ended, endedSize));
      notice.hidden = false;
      notice.querySelector('a').focus();
      // Focused, the link alone is read: the notice's own words go to the live region.
      document.getElementById(UTF8ToString(region, regionSize)).textContent =
          notice.firstChild.textContent.trim();
      // Only a window that is the program's own closes: an installed app's, or one that another
      // page opened for it. A tab that the user opened stays, saying that the program has ended.
      if (window.opener || matchMedia('(display-mode: standalone)').matches) window.close();
    });
  },
});
