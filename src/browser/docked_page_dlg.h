#pragma once

// The two small page windows that hang below the widget: the weather window (259 x 17 title bar with
// its title painted in) and the plant window (the branch office's hourly shipments under a title made
// from the feed). Both dock to the widget and to each other, and trace every position change.

#include "browser/web_dlg.h"
#include "resource_ids.h"
#include "ui/skin/img_button.h"
#include "ui/skin/skin_dialog.h"

#include <functional>
#include <string>
#include <vector>

class CDockedPageDlg : public CModelessDlg
{
    Q_OBJECT
public:
    static constexpr int TitleHeight = 17;

    // The windows to dock against, in the order they are tried; asked at every move.
    std::function<std::vector<Rect>()> DockTargets;

    bool CreateModeless(QWidget* owner, const Rect* rect) override;
    CKvImgButton* CloseButton() const { return m_close; }
    IBrowserView* Browser() const { return m_browser; }

protected:
    CDockedPageDlg(int templateId, int background, int closeStrip, int closeY, std::string url,
                   IBrowserView* browser);

    bool OnInitDialog() override;
    void OnWindowPosChanging(WindowPos& pos) override;
    void OnWindowPosChanged(const WindowPos& pos) override;

private:
    // Tries the targets in order while the window shows; true at the first that docks it.
    bool DockToFirst(const std::function<bool(const Rect&)>& dock);

    int m_backgroundId;
    int m_closeStrip;
    int m_closeY;
    std::string m_url;
    IBrowserView* m_browser;
    CKvImgButton* m_close;
};

class CWeatherDlg : public CDockedPageDlg
{
    Q_OBJECT
public:
    // url: the weather address with the group already appended.
    CWeatherDlg(std::string url, IBrowserView* browser);
    int GetTemplateId() const override { return res::IDD_WEATHER; }
};

class CFactoryDlg : public CDockedPageDlg
{
    Q_OBJECT
public:
    // plantCaption: the feed's caption when the window opens (CP949); it is not followed afterwards.
    CFactoryDlg(std::string url, const std::string& plantCaption, IBrowserView* browser);
    int GetTemplateId() const override { return res::IDD_FACTORY; }
    void PaintSkin(QPainter& dc) override;

    const std::string& Title() const { return m_title; }

private:
    std::string m_title;
};
