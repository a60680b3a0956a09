#pragma once

// A push button drawn from a strip of state images stacked vertically: normal, then hover (flag 1),
// pressed (flag 2) and disabled (flag 4) when their flags are given. Its click reaches the owner as
// QAbstractButton::clicked.

#include <QAbstractButton>
#include <QImage>

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

class CKvImgButton : public QAbstractButton
{
    Q_OBJECT
public:
    enum StateImage
    {
        Normal = 0,
        Hovered = 1,
        Disabled = 2,
        Down = 3
    };
    enum StripFlag
    {
        HasHover = 1,
        HasPressed = 2,
        HasDisabled = 4
    };

    explicit CKvImgButton(QWidget* parent = nullptr);

    // Cuts the strip into its state images. False, with the previous images kept, when it cannot be
    // loaded. The button takes the keyboard focus, as loading always did.
    bool LoadImages(int resourceId, int flags);
    bool LoadImages(const QImage& strip, int flags);

    int ImageWidth() const { return m_imageWidth; }
    int ImageHeight() const { return m_imageHeight; }
    int State() const { return m_state; }
    bool IsPressed() const { return m_pressed; }
    bool IsHover() const { return m_hover; }
    bool IsCaptured() const { return m_captured; }
    int StripFlags() const { return m_stripFlags; }
    const QImage& Image(int state) const { return m_images[state]; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The displayed state from the flags, and for a pressed button whether the pointer is over it.
    void UpdateState(const QPoint* position);
    void ReleaseImages();
    void Capture();
    void ReleaseCapture();

    bool m_captured = false;
    bool m_pressed = false;
    bool m_hover = false;
    int m_state = Normal;
    int m_stripFlags = 0;
    int m_imageWidth = 0;
    int m_imageHeight = 0;
    QImage m_images[4];
};

// One row of a window's button table: the command the button gives, its strip, where it sits.
struct ImgButtonSpec
{
    int ControlId;
    int Bitmap;
    int X;
    int Y;
    bool Visible = true;
};

// A window's skinned buttons, made from its table in row order. Every click runs the owner's command
// with the row's id, as a button of a dialog template reports its control id.
class CKvButtonSet
{
public:
    template <std::size_t N>
    void Create(QWidget* parent, const ImgButtonSpec (&table)[N], const std::function<void(int)>& command)
    {
        Create(parent, table, N, command);
    }
    void Create(QWidget* parent, const ImgButtonSpec* table, std::size_t count,
                const std::function<void(int)>& command);
    // Cuts each strip (normal, hover and pressed rows) and puts the button at its row's point.
    void LoadImages();
    // Null for an id the table does not have.
    CKvImgButton* Button(int controlId) const;

private:
    std::vector<std::pair<ImgButtonSpec, CKvImgButton*>> m_buttons;
};
