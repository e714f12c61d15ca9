// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/platform/Dialogs.h"
#include "lumora/platform/Font.h"
#include "lumora/platform/Gdi.h"
#include "lumora/platform/PictureFiles.h"
#include "lumora/platform/Pointer.h"
#include "lumora/runtime/Types.h"

namespace lumora {

// What the host gives the control: the services of the control's own window
// and of the form around it. Every call runs on the host's one UI thread.
class IControlSite {
public:
    virtual ~IControlSite() = default;

    // Marks the saved property of that name as changed, so the host knows
    // the form needs saving.
    virtual void PropertyChanged(const String& name) = 0;

    // The control window's own colours; they show only where nothing has
    // been painted.
    virtual void put_BackColor(OLE_COLOR color) = 0;
    virtual void put_ForeColor(OLE_COLOR color) = 0;

    // The control window's own font object, created by the host with the
    // window. The control draws its captions with the font it hands back
    // through putref_Font.
    virtual FontPtr get_Font() = 0;
    virtual void putref_Font(const FontPtr& font) = 0;

    // The container's font, which a newly placed control adopts.
    virtual FontPtr AmbientFont() = 0;

    // The keys that move the focus to the control when pressed with the
    // form's access-key modifier.
    virtual void put_AccessKeys(const String& keys) = 0;

    // The platform the control draws and talks through.
    virtual Gdi& gdi() = 0;
    virtual IDialogs& dialogs() = 0;
    virtual IPointer& pointer() = 0;
    virtual IPictureFiles& pictures() = 0;
    virtual IFileSystem& files() = 0;
    // The control's hidden picture box, on which icons become bitmaps.
    virtual IPictureBox& picTemp() = 0;

    // The control's own child window.
    virtual HWND hWnd() = 0;
    // A device context on the control's persistent image: what is drawn
    // stays until the next Cls. The control's font is selected into it and
    // text is drawn with a transparent background.
    virtual HDC hDC() = 0;
    // Clears the persistent image to the window's own background colour.
    virtual void Cls() = 0;
    // Shows the control's persistent image on screen at once.
    virtual void Refresh() = 0;
    // Shows at once the part of the persistent image inside rect, in the
    // control's pixels, after a repaint that changed nothing outside it. A
    // site that cannot show part of its image shows all of it.
    virtual void RefreshRect(const Rect& /*rect*/) { Refresh(); }

    // The control's height as the container measures it, in twips. Writing a
    // different height delivers the Resize notification before it returns.
    virtual Single get_Height() = 0;
    virtual void put_Height(Single twips) = 0;

    // Shows the component's About box modally and returns once it is
    // closed. The host runs the box over a view of its own, so the control
    // stays free of forms.
    virtual void ShowAboutBox() = 0;
};

}  // namespace lumora
