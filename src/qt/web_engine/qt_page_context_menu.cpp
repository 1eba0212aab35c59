#include "qt/web_engine/qt_page_context_menu.h"

#include <QAction>
#include <QMenu>
#include <QWebEnginePage>

namespace velcaro {
namespace {

using Page = QWebEnginePage;

// A caption of nullptr drops the action from the menu, as does an action missing here.
struct ActionCaption {
    Page::WebAction action;
    const char* caption;
};

constexpr ActionCaption kCaptions[] = {
    {Page::Back, "Indietro"},
    {Page::Forward, "Avanti"},
    {Page::Stop, "Interrompi"},
    {Page::Reload, "Ricarica"},
    {Page::ReloadAndBypassCache, "Ricarica senza cache"},
    {Page::Cut, "Taglia"},
    {Page::Copy, "Copia"},
    {Page::Paste, "Incolla"},
    {Page::Undo, "Annulla"},
    {Page::Redo, "Ripeti"},
    {Page::SelectAll, "Seleziona tutto"},
    {Page::PasteAndMatchStyle, "Incolla senza formattazione"},
    {Page::OpenLinkInThisWindow, "Apri il collegamento"},
    {Page::OpenLinkInNewWindow, nullptr},
    {Page::OpenLinkInNewTab, nullptr},
    {Page::OpenLinkInNewBackgroundTab, nullptr},
    {Page::CopyLinkToClipboard, "Copia l'indirizzo del collegamento"},
    {Page::DownloadLinkToDisk, nullptr},
    {Page::CopyImageToClipboard, "Copia l'immagine"},
    {Page::CopyImageUrlToClipboard, "Copia l'indirizzo dell'immagine"},
    {Page::DownloadImageToDisk, nullptr},
    {Page::CopyMediaUrlToClipboard, "Copia l'indirizzo del contenuto multimediale"},
    {Page::ToggleMediaControls, "Mostra i controlli"},
    {Page::ToggleMediaLoop, "Ripeti di continuo"},
    {Page::ToggleMediaPlayPause, "Riproduci/Pausa"},
    {Page::ToggleMediaMute, "Audio sì/no"},
    {Page::DownloadMediaToDisk, nullptr},
    {Page::InspectElement, nullptr},
    {Page::ExitFullScreen, "Esci dallo schermo intero"},
    {Page::RequestClose, "Chiudi la pagina"},
    {Page::Unselect, "Deseleziona"},
    {Page::SavePage, nullptr},
    {Page::ViewSource, nullptr},
    {Page::ToggleBold, "Grassetto"},
    {Page::ToggleItalic, "Corsivo"},
    {Page::ToggleUnderline, "Sottolineato"},
    {Page::ToggleStrikethrough, "Barrato"},
    {Page::AlignLeft, "Allinea a sinistra"},
    {Page::AlignCenter, "Centra"},
    {Page::AlignRight, "Allinea a destra"},
    {Page::AlignJustified, "Giustifica"},
    {Page::Indent, "Aumenta il rientro"},
    {Page::Outdent, "Riduci il rientro"},
    {Page::InsertOrderedList, "Elenco numerato"},
    {Page::InsertUnorderedList, "Elenco puntato"},
};

// The Italian caption of a page action the menu holds; nullptr when it is dropped or not one
// this table knows.
const char* captionOf(const QAction* action, QWebEnginePage& page) {
    for (const ActionCaption& entry : kCaptions)
        if (page.action(entry.action) == action)
            return entry.caption;
    return nullptr;
}

} // namespace

// Newer engines add actions and submenus of their own (text direction in Qt 6.8): whatever
// the table does not know is dropped, so the menu never shows an English caption.
void adaptPageContextMenu(QMenu& menu, QWebEnginePage& page) {
    const QList<QAction*> actions = menu.actions();
    for (QAction* action : actions) {
        if (action->isSeparator())
            continue;
        if (const char* caption = captionOf(action, page))
            action->setText(QString::fromUtf8(caption));
        else
            menu.removeAction(action);
    }
}

} // namespace velcaro
