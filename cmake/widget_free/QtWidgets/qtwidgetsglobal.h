// Every Qt Widgets header includes this one first. The widget-free libraries find it ahead
// of Qt's, so widget code in them stops the build instead of only failing at link time.
#error "Widget code belongs in a *_widgets library; this library links Qt Core and Gui only."
