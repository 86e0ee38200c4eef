#pragma once

#include "app/core/RouteTypes.h"
#include "platform/MessageSink.h"

#include <QString>
#include <QStringList>

// The answers to the save prompt.
enum class SaveChoice
{
    Save,
    Discard,
    Cancel // the command (closing, New, Open) does not go on
};

// Everything the route logic needs from the person in front of the screen and from the window
// that presents the route. The desktop program answers with dialogs and widgets; tests answer
// from scripts. Messages go through ShowMessage (platform/MessageSink.h), like the library's own.
class IRouteUser
{
public:
    virtual ~IRouteUser() = default;

    // File dialogs; an empty result means the user cancelled. `filter` uses the ";;" form.
    virtual QString ChooseSaveFile(const QString& title, const QString& filter, const QString& defaultSuffix,
                                   bool confirmOverwrite) = 0;
    virtual QString ChooseOpenFile(const QString& title, const QString& filter) = 0;
    // One of several items (alignments of a LandXML file); -1 when the user cancelled. Without a
    // person to ask, the first.
    virtual int ChooseItem(const QString& title, const QString& label, const QStringList& items)
    {
        (void)title, (void)label;
        return items.isEmpty() ? -1 : 0;
    }
    // The property dialog; false on Cancel.
    virtual bool EditProperties(RouteProperties& properties, bool modeChangeable) = 0;
    // The export dialog. Its OK button must pass through AcceptExportOptions (which refuses a bad
    // interval and saves the options); false on Cancel.
    virtual bool EditExportOptions(ExportOptions& options, const QString& configDir) = 0;

    // The save prompt: 保存 / 不保存 / 取消, where Esc and closing the box mean 取消. By default a
    // question through the message sink (Yes saves, No discards, anything else cancels).
    virtual SaveChoice AskToSaveChanges(const QString& question)
    {
        switch (ShowMessage(question, QuestionCaption(), MessageKind::Question))
        {
        case MessageAnswer::Yes: return SaveChoice::Save;
        case MessageAnswer::No: return SaveChoice::Discard;
        default: return SaveChoice::Cancel;
        }
    }

    // Presentation.
    virtual void ShowModeTab(RouteMode) {}
    virtual void ShowInputPane() {}
    virtual void SetWindowTitle(const QString&) {}
    // Zoom the view to the route's full extent.
    virtual void ZoomToFullExtent() {}
    // The route record or either list changed: refresh lists, commands and the view.
    virtual void RouteChanged() {}
};
