// The page's own JavaScript: emscripten's library for the program, and the shell.
const browser = ['alert', 'atob', 'console', 'document', 'Event', 'fetch', 'getComputedStyle',
                 'HTMLDialogElement', 'HTMLInputElement', 'location', 'matchMedia', 'navigator',
                 'performance', 'PerformanceObserver', 'requestAnimationFrame', 'setTimeout',
                 'WebAssembly', 'window'];
// What emscripten's generated code gives a library's functions.
const emscripten = ['allocateUTF8', 'Asyncify', 'HEAPU32', 'LibraryManager', 'mergeInto',
                    'Module', 'UTF8ToString'];

export default [{
  basePath: '../..',
  files: ['**/*.js'],
  languageOptions: {
    ecmaVersion: 2020,
    sourceType: 'script',
    globals: Object.fromEntries([...browser, ...emscripten].map((name) => [name, 'readonly'])),
  },
  rules: {
    'no-undef': 'error',
    'no-unused-vars': ['error', {caughtErrors: 'none'}],
    'no-redeclare': ['error', {builtinGlobals: false}],
    'no-unreachable': 'error',
    'no-dupe-keys': 'error',
    'eqeqeq': 'error',
    'prefer-const': 'error',
  },
}];
