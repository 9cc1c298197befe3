// The page's shell, run as soon as it arrives. It compiles the program's code (quadrant.wasm)
// while the page is still loading, and emscripten's loader (quadrant.js, run once the page is
// parsed) instantiates what was compiled instead of fetching the code itself. Should the loader
// have run first, it has fetched the code, and nothing here is needed for it.
if (typeof Module === 'undefined') {
  // A server that does not call the code application/wasm defeats compiling it as it arrives:
  // then it is compiled once it is all there.
  const compiled = WebAssembly.compileStreaming(fetch('quadrant.wasm')).catch(
      () => fetch('quadrant.wasm').then((response) => response.arrayBuffer())
          .then((code) => WebAssembly.compile(code)));
  var Module = {
    instantiateWasm(imports, receiveInstance) {
      compiled.then((module) => WebAssembly.instantiate(module, imports)).then(receiveInstance);
      return {};
    },
  };
}

// Keeps the whole program for use without a network (sw.js), once the page has loaded.
if ('serviceWorker' in navigator) {
  window.addEventListener('load', () => navigator.serviceWorker.register('sw.js'));
}
