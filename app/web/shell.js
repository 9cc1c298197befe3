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
// Meanwhile the buttons stay grey, and after a moment the page says that it is loading. It says
// that the program cannot run (#Unsupported) only where the browser refuses it, and that the
// program did not arrive (#NotLoaded) where one of its files did not.
var Module = typeof Module === 'undefined' ? {} : Module;

// Keeps the whole program for use without a network (sw.js), once the page has loaded; `keep`
// asks it to keep a file that only some browsers need, once it is there.
const keep = (() => {
  if (!('serviceWorker' in navigator)) return () => {};
  window.addEventListener('load', () => navigator.serviceWorker.register('sw.js'));
  return (file) => navigator.serviceWorker.ready.then(
      (registration) => registration.active.postMessage({keep: file}));
})();

(() => {
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
      document.getElementById(why && why.notArrived ? 'NotLoaded' : 'Unsupported').hidden = false;
    });
  };

  if (typeof HTMLDialogElement !== 'function' ||
      !('showModal' in HTMLDialogElement.prototype)) {
    failed('no modal dialogs');
    return;
  }
  Module.onAbort = failed;
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

  // Also where it will not be compiled: the preload that fetches it at once is then taken up.
  const code = fetch('quadrant.wasm').then((response) => {
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
      : code.then((response) => WebAssembly.compileStreaming(response).catch((why) => {
        if (!(why instanceof TypeError)) throw why;
        return fetch('quadrant.wasm').then((again) => again.arrayBuffer())
            .then((bytes) => WebAssembly.compile(bytes));
      }));
  compiled.catch(() => {});

  const script = (file) => new Promise((resolve, reject) => {
    const element = document.createElement('script');
    element.src = file;
    // Run in the order added, each fetched at once.
    element.async = false;
    element.onload = resolve;
    element.onerror = () => reject(new Error('did not arrive'));
    document.head.append(element);
  }).catch(arrival(file));

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
