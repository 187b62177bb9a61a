# Modal dialogs from templates, controls attached by ID, message boxes.
kelto_layer(framework_ui WIN dialog.cpp control.cpp dpi.cpp accessible.cpp)
