// The page's shell, run as soon as it arrives. It compiles the program's code (quadrant.wasm)
// while the page is still loading, and emscripten's loader (quadrant.js, run once the page is
// parsed) instantiates what was compiled instead of fetching the code itself. Should the loader
// have run first, it has fetched the code, and nothing here is needed for it.
//
// Where the program cannot start, the page says so (#Unsupported) rather than keep its buttons
// grey: a browser without WebAssembly or modal dialogs, code that does not arrive or that the
// page's policy forbids to compile (Safari before 16 knows no 'wasm-unsafe-eval'), a loader that
// gives up.
var Module = typeof Module === 'undefined' ? {} : Module;

(() => {
  const ready = () => performance.getEntriesByName('quadrant-ready').length > 0;
  const cannotStart = (why) => {
    if (ready()) return;
    console.error('The program cannot start here:', why);
    const say = () => {
      document.getElementById('Unsupported').hidden = false;
    };
    if (document.readyState === 'loading') {
      document.addEventListener('DOMContentLoaded', say);
    } else {
      say();
    }
  };

  if (typeof WebAssembly !== 'object' || typeof HTMLDialogElement !== 'function' ||
      !('showModal' in HTMLDialogElement.prototype)) {
    cannotStart('no WebAssembly or no modal dialogs');
    return;
  }
  Module.onAbort = cannotStart;
  // Once everything has arrived, the program has a few seconds to compile and start.
  window.addEventListener('load', () => setTimeout(() => {
    if (!ready()) cannotStart('not started 5 s after the page loaded');
  }, 5000));

  // The loader has run already where it has put the program's functions on Module.
  if ('_main' in Module) return;
  // A server that does not call the code application/wasm defeats compiling it as it arrives:
  // then it is compiled once it is all there.
  const code = () => fetch('quadrant.wasm').then((response) => {
    if (!response.ok) throw new Error(`quadrant.wasm: ${response.status} ${response.statusText}`);
    return response;
  });
  const compiled = WebAssembly.compileStreaming(code()).catch(
      () => code().then((response) => response.arrayBuffer())
          .then((bytes) => WebAssembly.compile(bytes)));
  compiled.catch(cannotStart);
  Module.instantiateWasm = (imports, receiveInstance) => {
    compiled.then((module) => WebAssembly.instantiate(module, imports))
        .then(receiveInstance, cannotStart);
    return {};
  };
})();

// Keeps the whole program for use without a network (sw.js), once the page has loaded.
if ('serviceWorker' in navigator) {
  window.addEventListener('load', () => navigator.serviceWorker.register('sw.js'));
}
