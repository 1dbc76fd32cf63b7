#pragma once

#include <QPaintDevice>
#include <QPaintEngine>
#include <QRectF>
#include <QTransform>

class QPainter;

// A paint device that hands everything drawn on it to `target`, except text
// whose baseline lies outside `textArea`. Qt's document layout draws, for a
// paragraph that began on an earlier page, the last line above the page as
// well; painted outside the margins it is invisible, but a PDF keeps it in
// its text layer, where it would be found twice.
class PageTextFilter : public QPaintDevice
{
public:
    PageTextFilter(QPaintDevice& metrics, QPainter& target, const QRectF& textArea);
    ~PageTextFilter() override;

    QPaintEngine* paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    class Engine;

    QPaintDevice& m_metrics;
    std::unique_ptr<Engine> m_engine;
};
