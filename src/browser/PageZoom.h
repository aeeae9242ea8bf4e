#pragma once

#include <QObject>
#include <QString>
#include <array>

class QWebEngineView;

// The zoom of the pages: one factor for every page window of the player, stepped as a web
// browser steps it (25 % to 500 %), applied to every view attached and to every page they load
// later, and remembered between runs in the player's settings file.
class TPageZoom final : public QObject {
    Q_OBJECT
public:
    // The factors Ctrl+= and Ctrl+- walk through, in per cent.
    static constexpr std::array<int, 17> StepsPercent{25,  33,  50,  67,  75,  80,  90,  100, 110,
                                                      125, 150, 175, 200, 250, 300, 400, 500};
    static constexpr double MinFactor = 0.25;
    static constexpr double MaxFactor = 5.0;

    // settingsFile empty: "settings.ini" in the user's configuration folder for this program
    // (the file that also keeps the chosen library). Reads the remembered factor.
    explicit TPageZoom(const QString& settingsFile = QString(), QObject* parent = nullptr);

    double Factor() const { return m_factor; }
    // The factor as the user reads it: 1.25 gives 125.
    int Percent() const;

    // Sets the factor of every attached view, kept within MinFactor..MaxFactor, and remembers it.
    void SetFactor(double factor);
    void ZoomIn();  // the next step up; nothing above the last
    void ZoomOut(); // the next step down; nothing below the first
    void Reset();   // 100 %, and a wheel turned part of a notch is forgotten

    // view follows the factor from now on, for every page it loads; Ctrl+wheel over it zooms.
    void Attach(QWebEngineView* view);

    // The step after factor in the direction (> 0 up, < 0 down); factor itself, kept within the
    // bounds, when there is none. A factor between steps goes to the nearest step that way.
    static double NextStep(double factor, int direction);
    // A remembered value as a factor: numbers are kept within the bounds, anything else is 1.
    static double FactorFromSetting(const QString& text);

signals:
    void FactorChanged(double factor);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WatchInputOf(QObject* child);
    void Store() const;

    QString m_settingsFile;
    double m_factor = 1.0;
    int m_wheelRemainder = 0; // wheel angle not yet turned into a step (touch pads send small parts)
};
