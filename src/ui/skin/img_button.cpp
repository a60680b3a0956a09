#include "ui/skin/img_button.h"

#include <QMouseEvent>
#include <QPainter>

CKvImgButton::CKvImgButton(QWidget* parent) : QAbstractButton(parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

bool CKvImgButton::LoadImages(int resourceId, int flags)
{
    return LoadImages(QImage(QStringLiteral(":/skin/%1.bmp").arg(resourceId)), flags);
}

bool CKvImgButton::LoadImages(const QImage& loaded, int flags)
{
    if (loaded.isNull()) {
        return false;
    }
    const QImage strip = loaded.convertToFormat(QImage::Format_RGB32);
    ReleaseImages();
    const int count =
        1 + ((flags & HasHover) != 0) + ((flags & HasPressed) != 0) + ((flags & HasDisabled) != 0);
    m_imageWidth = strip.width();
    m_imageHeight = strip.height() / count;
    // Rows come in strip order; each is stored under the state it shows.
    const struct
    {
        int flag;
        int slot;
    } order[] = {{0, Normal}, {HasHover, Hovered}, {HasPressed, Down}, {HasDisabled, Disabled}};
    int row = 0;
    for (const auto& entry : order) {
        if (entry.flag == 0 || (flags & entry.flag) != 0) {
            m_images[entry.slot] = strip.copy(0, row * m_imageHeight, m_imageWidth, m_imageHeight);
            ++row;
        }
    }
    m_stripFlags = flags;
    setFocus();
    update();
    return true;
}

void CKvImgButton::ReleaseImages()
{
    for (QImage& image : m_images) {
        image = QImage();
    }
    m_captured = false;
    m_pressed = false;
    m_state = Normal;
    m_imageWidth = 0;
    m_imageHeight = 0;
}

void CKvImgButton::UpdateState(const QPoint* position)
{
    int state = Normal;
    if (!isEnabled()) {
        state = Disabled;
    } else if (m_pressed) {
        state = position == nullptr || rect().contains(*position) ? Down : Normal;
    } else {
        state = m_hover ? Hovered : Normal;
    }
    if (state != m_state) {
        m_state = state;
        update();
    }
}

void CKvImgButton::Capture()
{
    m_captured = true;
    if (QWidget::mouseGrabber() != this && isVisible()) {
        grabMouse();
    }
}

void CKvImgButton::ReleaseCapture()
{
    if (QWidget::mouseGrabber() == this) {
        releaseMouse();
    }
    m_captured = false;
}

void CKvImgButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        Capture();
        if (!hasFocus()) {
            setFocus(Qt::MouseFocusReason);
        }
        const QPoint position = event->position().toPoint();
        UpdateState(&position);
    }
    QAbstractButton::mousePressEvent(event);
}

void CKvImgButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractButton::mouseReleaseEvent(event);
        return;
    }
    m_pressed = false;
    const QPoint position = event->position().toPoint();
    UpdateState(&position);
    // The click itself: sent only when the release happens over the button.
    QAbstractButton::mouseReleaseEvent(event);
    mouseMoveEvent(event);
    ReleaseCapture();
}

void CKvImgButton::mouseMoveEvent(QMouseEvent* event)
{
    QAbstractButton::mouseMoveEvent(event);
    // While the pointer is over the button it holds the mouse, which is how it learns that the
    // pointer has left; a pressed button keeps it until the release.
    const QPoint position = event->position().toPoint();
    const bool inside = rect().contains(position);
    if (m_hover && !inside) {
        if (!m_pressed) {
            ReleaseCapture();
        }
        m_hover = false;
        UpdateState(&position);
    } else if (!m_hover && inside) {
        Capture();
        m_hover = true;
        UpdateState(&position);
    } else if (m_pressed) {
        UpdateState(&position);
    }
}

void CKvImgButton::focusOutEvent(QFocusEvent* event)
{
    if (m_state != Disabled) {
        m_state = Normal;
    }
    m_pressed = false;
    m_captured = false;
    if (QWidget::mouseGrabber() == this) {
        releaseMouse();
    }
    QAbstractButton::focusOutEvent(event);
    update();
}

void CKvImgButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) {
        // A disabled button hears no more mouse events: it must not keep the mouse from the rest.
        if (!isEnabled()) {
            m_hover = false;
            m_pressed = false;
            ReleaseCapture();
        }
        UpdateState(nullptr);
    }
    QAbstractButton::changeEvent(event);
}

void CKvImgButton::paintEvent(QPaintEvent*)
{
    if (!isEnabled()) {
        m_state = Disabled;
    }
    if (m_state < 0 || m_state > 3) {
        return;
    }
    const QImage* image = &m_images[m_state];
    if (image->isNull()) {
        image = &m_images[Normal];
    }
    if (image->isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint((width() - m_imageWidth) / 2, (height() - m_imageHeight) / 2), *image);
}

void CKvButtonSet::Create(QWidget* parent, const ImgButtonSpec* table, std::size_t count,
                          const std::function<void(int)>& command)
{
    for (std::size_t i = 0; i < count; ++i) {
        auto* button = new CKvImgButton(parent);
        const int id = table[i].ControlId;
        button->setObjectName(QString::number(id));
        button->setVisible(table[i].Visible);
        QObject::connect(button, &QAbstractButton::clicked, parent, [command, id] { command(id); });
        m_buttons.emplace_back(table[i], button);
    }
}

void CKvButtonSet::LoadImages()
{
    for (const auto& [row, button] : m_buttons) {
        if (button->LoadImages(row.Bitmap, CKvImgButton::HasHover | CKvImgButton::HasPressed)) {
            button->setGeometry(row.X, row.Y, button->ImageWidth(), button->ImageHeight());
        }
    }
}

CKvImgButton* CKvButtonSet::Button(int controlId) const
{
    for (const auto& [row, button] : m_buttons) {
        if (row.ControlId == controlId) {
            return button;
        }
    }
    return nullptr;
}
