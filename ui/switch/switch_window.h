#pragma once
// The "38R5-SW" window: four push switches whose key codes go to the camera
// through the main window's switch command.

#include <QWidget>

#include <cstdint>
#include <functional>

class QGroupBox;
class QPushButton;

class TFS38R5 : public QWidget {
    Q_OBJECT
  public:
    // `swPush` sends one key code (the main window's SW_push).
    explicit TFS38R5(std::function<void(std::uint8_t)> swPush, QWidget* parent = nullptr);

    // Key codes of the switches; they follow the captions, not the button names.
    static constexpr std::uint8_t kPre = 0;
    static constexpr std::uint8_t kEnter = 1;
    static constexpr std::uint8_t kDown = 2;
    static constexpr std::uint8_t kUp = 3;

  public slots:
    void push_rightClick();
    void push_leftClick();
    void push_downClick();
    void push_upClick();

  private:
    QPushButton* button(const QString& name, const QString& caption);
    void push(std::uint8_t code);

    std::function<void(std::uint8_t)> swPush_;
    QGroupBox* push_sw_;
};
