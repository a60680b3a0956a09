#pragma once

// The notification-area icon: while the main window exists it is the way back when the widget and
// the mini bar are both hidden. Its events reach the owner as posted WM_TRAY_NOTIFY messages (wParam
// the icon id 164, lParam the mouse message), as the desktop's own icons report them.

#include "ui/windows/main_parts.h"

#include <QObject>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

class QMenu;

class CTrayIcon : public QObject, public ITrayIcon
{
    Q_OBJECT
public:
    static constexpr int IconId = 164;
    static constexpr long MouseDoubleClick = 0x203; // WM_LBUTTONDBLCLK
    static constexpr long RightButtonUp = 0x205;    // WM_RBUTTONUP

    // command runs a menu choice on the owner (32780 show, 32784 reset, 32781 exit).
    explicit CTrayIcon(std::function<void(int)> command);
    ~CTrayIcon() override;

    bool AddIcon(QWidget* owner) override;
    void SetIcon(int iconId) override;
    void RemoveIcon() override;
    bool IsAdded() const override { return m_enabled; }
    void SetTip(const QString& tip) override;
    void HandleNotification(long wParam, long lParam) override;

    // Fills the icon's menu (164) with "보기" as its bold default item.
    void FillMenu(QMenu& menu);
    QSystemTrayIcon* Icon() const { return m_icon.get(); }

private:
    std::function<void(int)> m_command;
    std::unique_ptr<QSystemTrayIcon> m_icon;
    QWidget* m_owner = nullptr;
    bool m_enabled = false;
};
