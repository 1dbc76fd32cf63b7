
// What the ES module (GNOME 45 and later) gives extension.js.
export {FlingdialGesture};
