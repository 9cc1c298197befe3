// Keeps the whole program for use without a network (sw.js), once the page has loaded, so that
// the first visit starts as fast as any other.
if ('serviceWorker' in navigator) {
  window.addEventListener('load', () => navigator.serviceWorker.register('sw.js'));
}
