#pragma once

// The page window: a large, resizable, movable window with a skinned frame, three buttons (minimise,
// maximise/restore, close) and a browser over the rest. It shows one service page; it never destroys
// itself: closing posts WM_WEBDLG_CLOSED to its owner, which remembers the placement.

#include "resource_ids.h"
#include "settings/geometry.h"
#include "ui/skin/img_button.h"
#include "ui/skin/skin_dialog.h"

#include <string>

// The frame pieces in the order the page window takes them.
constexpr int FramePieceIds[8] = {res::FrameTopLeft,    res::FrameTop,         res::FrameTopRight,
                                  res::FrameRight,      res::FrameBottomRight, res::FrameBottom,
                                  res::FrameBottomLeft, res::FrameLeft};

// The browser the window hosts; the browser helper gives it a real one.
class IBrowserView
{
public:
    virtual ~IBrowserView() = default;
    virtual QWidget* Widget() = 0;
    virtual void Navigate(const std::string& url) = 0; // CP949
    virtual void Stop() = 0;
};

class CWebDlg : public CModelessDlg
{
    Q_OBJECT
public:
    static constexpr int BorderWidth = 7;
    static constexpr int ResizeBorder = 10;

    // frame: the eight pieces in the order of FramePieceIds.
    CWebDlg(int pageIndex, std::string url, const WindowPlacement& remembered, const CKvBitmap* frame,
            IBrowserView* browser);
    ~CWebDlg() override;

    int GetTemplateId() const override { return res::IDD_WEB; }
    bool CreateModeless(QWidget* owner, const Rect* rect) override;
    void PaintSkin(QPainter& dc) override;
    int HitTest(const QPoint& clientPoint) const override;

    int PageIndex() const { return m_pageIndex; }
    WindowPlacement GetPlacement() const;
    bool IsMaximised() const { return m_maximised; }
    void Layout();

    CKvImgButton* CloseButton() const { return m_close; }
    CKvImgButton* MinimiseButton() const { return m_minimise; }
    CKvImgButton* MaximiseButton() const { return m_maximise; }
    IBrowserView* Browser() const { return m_browser; }

    void OnMinimise();
    void OnMaximise();

protected:
    bool OnInitDialog() override;
    void OnCancel() override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ApplyPlacement(const WindowPlacement& placement);
    void SetMaximised(bool on);

    int m_pageIndex;
    std::string m_url;
    WindowPlacement m_remembered;
    const CKvBitmap* m_frame;
    IBrowserView* m_browser;
    bool m_layoutReady = false;
    bool m_maximised = false;
    QRect m_normalGeometry;
    CKvImgButton* m_close;
    CKvImgButton* m_minimise;
    CKvImgButton* m_maximise;
    int m_resizeEdge = HTNOWHERE;
    QPoint m_resizeStart;
    QRect m_geometryAtStart;
};
