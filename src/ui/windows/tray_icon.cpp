#include "ui/windows/tray_icon.h"

#include "resource_ids.h"
#include "ui/skin/window_ops.h"
#include "ui/windows/main_dlg.h"

#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QWidget>

CTrayIcon::CTrayIcon(std::function<void(int)> command) : m_command(std::move(command)) {}

CTrayIcon::~CTrayIcon()
{
    RemoveIcon();
}

bool CTrayIcon::AddIcon(QWidget* owner)
{
    m_enabled = false;
    if (owner == nullptr || !QSystemTrayIcon::isSystemTrayAvailable()) {
        return false;
    }
    m_owner = owner;
    m_icon = std::make_unique<QSystemTrayIcon>();
    m_icon->setToolTip(QString::fromUtf8(MainWindowText));
    connect(m_icon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick) {
                    PostWindowMessage(m_owner, WM_TRAY_NOTIFY, IconId, MouseDoubleClick);
                } else if (reason == QSystemTrayIcon::Context) {
                    PostWindowMessage(m_owner, WM_TRAY_NOTIFY, IconId, RightButtonUp);
                }
            });
    m_enabled = true;
    return true;
}

void CTrayIcon::SetTip(const QString& tip)
{
    if (m_icon != nullptr) {
        m_icon->setToolTip(tip.isEmpty() ? QString::fromUtf8(MainWindowText) : tip);
    }
}

void CTrayIcon::SetIcon(int iconId)
{
    if (!m_enabled) {
        return;
    }
    m_icon->setIcon(QIcon(QStringLiteral(":/skin/%1.png").arg(iconId)));
    m_icon->show();
}

void CTrayIcon::RemoveIcon()
{
    if (!m_enabled) {
        return;
    }
    m_icon->hide();
    m_icon.reset();
    m_enabled = false;
}

void CTrayIcon::FillMenu(QMenu& menu)
{
    const std::pair<const char*, int> items[] = {
        {"보기", res::ID_SHOW}, {"창 위치 초기화", res::ID_RESET}, {"종료", res::ID_EXIT}};
    for (const auto& [text, id] : items) {
        QAction* action = menu.addAction(QString::fromUtf8(text));
        const int command = id;
        connect(action, &QAction::triggered, this, [this, command] { m_command(command); });
    }
    QAction* show = menu.actions().first();
    QFont bold = show->font();
    bold.setBold(true);
    show->setFont(bold);
    menu.setDefaultAction(show);
}

void CTrayIcon::HandleNotification(long wParam, long lParam)
{
    if (wParam != IconId || (lParam & 0xFFFF) != RightButtonUp) {
        return;
    }
    QMenu menu;
    FillMenu(menu);
    if (m_owner != nullptr) {
        m_owner->activateWindow();
    }
    menu.exec(QCursor::pos());
}
