// The page's shell, run as soon as it arrives: it decides how the program is loaded, adds the
// scripts that load it, and sees each way in which the start can fail. Nothing else on the page
// loads the program, so the order in which the browser runs the scripts cannot matter.
//
// The program's code (quadrant.wasm) is fetched at once, beside the page, and compiled as it
// arrives; emscripten's loader (quadrant.js) instantiates what was compiled, once the page is
// parsed. Where WebAssembly is missing (Lockdown Mode, a JIT turned off) or the page's policy
// refuses it (Safari 15 knows no 'wasm-unsafe-eval'), the same program as JavaScript
// (quadrant.wasm.js, fetched only then) takes its place, under the same policy.
//
// The one-file page (quadrant.html) marks this script data-inside: there each of those files is
// inside the page, before this script, in a script element that never runs, whose id is the
// file's name; the code is compiled at once, and the scripts run by their hashes in the page's
// policy.
//
// Meanwhile the buttons stay grey, and after a moment the page says that it is loading. It says
// that the program cannot run (#Unsupported) only where the browser refuses it, and that the
// program did not arrive (#NotLoaded) where one of its files did not: or, where the page was
// opened from a file and not through a web server, that it needs one (#FromFile).
var Module = typeof Module === 'undefined' ? {} : Module;

(() => {
  const inside = document.currentScript.hasAttribute('data-inside');
  // Keeps the whole program for use without a network (sw.js), once the page has loaded; `keep`
  // asks it to keep a file that only some browsers need, once it is there. A file needs none.
  const keep = (() => {
    if (inside || !('serviceWorker' in navigator) || !location.protocol.startsWith('http')) {
      return () => {};
    }
    window.addEventListener('load', () => navigator.serviceWorker.register('sw.js'));
    return (file) => navigator.serviceWorker.ready.then(
        (registration) => registration.active.postMessage({keep: file}));
  })();
  let ready = false;
  let said = false;
  const parsed = new Promise((resolve) => {
    if (document.readyState === 'loading') {
      document.addEventListener('DOMContentLoaded', resolve);
    } else {
      resolve();
    }
  });
  const loading = () => document.getElementById('Loading');
  // A file that did not arrive carries this mark; any other failure is the browser's refusal.
  const arrival = (file) => (why) => {
    throw Object.assign(new Error(`${file}: ${why.message || why}`), {notArrived: true});
  };
  const failed = (why) => {
    if (ready || said) return;
    said = true;
    console.error('The program cannot start:', why);
    parsed.then(() => {
      loading().textContent = '';
      document.getElementById(!(why && why.notArrived) ? 'Unsupported'
          : location.protocol === 'file:' ? 'FromFile' : 'NotLoaded').hidden = false;
    });
  };

  if (typeof HTMLDialogElement !== 'function' ||
      !('showModal' in HTMLDialogElement.prototype)) {
    failed('no modal dialogs');
    return;
  }
  Module.onAbort = failed;
  // A script that the policy refuses never runs, and says so only here.
  document.addEventListener('securitypolicyviolation', (event) => {
    if (event.blockedURI === 'inline' && event.effectiveDirective.startsWith('script-src')) {
      failed(`a script refused by the page's policy: ${event.sample}`);
    }
  });
  if (typeof PerformanceObserver === 'function') {
    new PerformanceObserver((marks) => {
      if (marks.getEntriesByName('quadrant-ready').length === 0) return;
      ready = true;
      loading().textContent = '';
    }).observe({entryTypes: ['mark']});
  }
  setTimeout(() => parsed.then(() => {
    if (!ready && !said) loading().textContent = loading().dataset.text;
  }), 1000);

  // The code: decoded from what the page carries; or fetched, also where it will not be compiled,
  // so that the preload that fetched it at once is taken up.
  const carried = (file) => document.getElementById(file).textContent;
  const code = inside
      ? Promise.resolve(atob(carried('quadrant.wasm'))).then((text) => {
        const bytes = new Uint8Array(text.length);
        for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
        return bytes;
      })
      : fetch('quadrant.wasm').then((response) => {
        if (!response.ok) throw new Error(`${response.status} ${response.statusText}`);
        return response;
      }).catch(arrival('quadrant.wasm'));
  // An empty module, to learn whether this page may run WebAssembly at all: WebKit compiles what
  // its policy forbids and refuses only to instantiate it.
  const native = typeof WebAssembly === 'object'
      ? WebAssembly.instantiate(new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0])).then(
          () => true, () => false)
      : Promise.resolve(false);
  // Compiled meanwhile, as it arrives. A server that does not call the code application/wasm
  // defeats that (a TypeError, as a network that fails midway): then it is compiled once it is
  // all there. A failure counts only where WebAssembly runs.
  const compiled = typeof WebAssembly !== 'object' ? code
      : inside ? code.then((bytes) => WebAssembly.compile(bytes))
      : code.then((response) => WebAssembly.compileStreaming(response).catch((why) => {
        if (!(why instanceof TypeError)) throw why;
        return fetch('quadrant.wasm').then((again) => again.arrayBuffer())
            .then((bytes) => WebAssembly.compile(bytes));
      }));
  compiled.catch(() => {});

  // Each script runs in the order added: a file, fetched at once; or what the page carries, as it
  // is added.
  const script = (file) => {
    const element = document.createElement('script');
    if (inside) {
      element.textContent = carried(file);
      document.head.append(element);
      return Promise.resolve();
    }
    return new Promise((resolve, reject) => {
      element.src = file;
      element.async = false;
      element.onload = resolve;
      element.onerror = () => reject(new Error('did not arrive'));
      document.head.append(element);
    }).catch(arrival(file));
  };

  native.then((compiles) => {
    let instance;
    if (compiles) {
      compiled.catch(failed);
      instance = (imports) => compiled.then((module) => WebAssembly.instantiate(module, imports));
    } else {
      // quadrant.wasm.js has put its own WebAssembly in place by now, which runs the code that it
      // holds and needs no bytes.
      instance = (imports) => new Promise((resolve) => WebAssembly.instantiate([], imports)
          .then((output) => resolve(output.instance)));
    }
    // The program binds to the page as it starts: not before the page is all there.
    Module.instantiateWasm = (imports, receiveInstance) => {
      parsed.then(() => instance(imports)).then(receiveInstance, failed);
      return {};
    };
    if (!compiles) keep('quadrant.wasm.js');
    return Promise.all((compiles ? [] : ['quadrant.wasm.js']).concat('quadrant.js').map(script));
  }).catch(failed);
})();
