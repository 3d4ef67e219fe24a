// The view command: opens the viewer on the package of the last selected row.
#include "app/main_window.h"
#include "platform/documents_folder.h"

namespace kelvara::app {

void TForm1::N5Click() {
    RunCommand([this] {
        // The package's file name is the last component of the viewer folder path (empty
        // before any selection: the viewer then refuses the empty folder).
        const size_t slash = viewerFolderPath_.rfind('/');
        const std::string name =
            slash == std::string::npos ? viewerFolderPath_ : viewerFolderPath_.substr(slash + 1);
        if (onView)
            onView(platform::CollectionFolder() + name, viewerFolderPath_);
    });
}

}  // namespace kelvara::app
