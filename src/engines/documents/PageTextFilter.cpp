#include "engines/documents/PageTextFilter.h"

#include <QPainter>
#include <QPainterPath>

class PageTextFilter::Engine : public QPaintEngine
{
public:
    Engine(QPainter& target, const QRectF& textArea)
        : QPaintEngine(QPaintEngine::AllFeatures), m_target(target), m_textArea(textArea)
    {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& state) override
    {
        const DirtyFlags dirty = state.state();
        if (dirty & DirtyTransform) {
            m_transform = state.transform();
            m_target.setTransform(m_transform);
        }
        if (dirty & DirtyPen)
            m_target.setPen(state.pen());
        if (dirty & DirtyBrush)
            m_target.setBrush(state.brush());
        if (dirty & DirtyBrushOrigin)
            m_target.setBrushOrigin(state.brushOrigin());
        if (dirty & DirtyFont)
            m_target.setFont(state.font());
        if (dirty & DirtyBackground)
            m_target.setBackground(state.backgroundBrush());
        if (dirty & DirtyBackgroundMode)
            m_target.setBackgroundMode(state.backgroundMode());
        if (dirty & DirtyHints)
            m_target.setRenderHints(state.renderHints());
        if (dirty & DirtyCompositionMode)
            m_target.setCompositionMode(state.compositionMode());
        if (dirty & DirtyOpacity)
            m_target.setOpacity(state.opacity());
        if (dirty & DirtyClipPath)
            m_target.setClipPath(state.clipPath(), state.clipOperation());
        if (dirty & DirtyClipRegion)
            m_target.setClipRegion(state.clipRegion(), state.clipOperation());
        if (dirty & DirtyClipEnabled)
            m_target.setClipping(state.isClipEnabled());
    }

    void drawTextItem(const QPointF& at, const QTextItem& item) override
    {
        const double baseline = m_transform.map(at).y();
        if (baseline >= m_textArea.top() && baseline <= m_textArea.bottom())
            m_target.drawTextItem(at, item);
    }

    void drawPath(const QPainterPath& path) override { m_target.drawPath(path); }
    void drawRects(const QRectF* rects, int count) override { m_target.drawRects(rects, count); }
    void drawLines(const QLineF* lines, int count) override { m_target.drawLines(lines, count); }
    void drawEllipse(const QRectF& rect) override { m_target.drawEllipse(rect); }
    void drawPoints(const QPointF* points, int count) override
    {
        m_target.drawPoints(points, count);
    }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override
    {
        if (mode == PolylineMode)
            m_target.drawPolyline(points, count);
        else
            m_target.drawPolygon(points, count,
                                 mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
    }
    void drawPixmap(const QRectF& rect, const QPixmap& pixmap, const QRectF& source) override
    {
        m_target.drawPixmap(rect, pixmap, source);
    }
    void drawImage(const QRectF& rect, const QImage& image, const QRectF& source,
                   Qt::ImageConversionFlags flags) override
    {
        m_target.drawImage(rect, image, source, flags);
    }
    void drawTiledPixmap(const QRectF& rect, const QPixmap& pixmap, const QPointF& offset) override
    {
        m_target.drawTiledPixmap(rect, pixmap, offset);
    }

private:
    QPainter& m_target;
    QRectF m_textArea;
    QTransform m_transform;
};

PageTextFilter::PageTextFilter(QPaintDevice& metrics, QPainter& target, const QRectF& textArea)
    : m_metrics(metrics), m_engine(std::make_unique<Engine>(target, textArea))
{}

PageTextFilter::~PageTextFilter() = default;

QPaintEngine* PageTextFilter::paintEngine() const
{
    return m_engine.get();
}

int PageTextFilter::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return m_metrics.width();
    case PdmHeight:
        return m_metrics.height();
    case PdmWidthMM:
        return m_metrics.widthMM();
    case PdmHeightMM:
        return m_metrics.heightMM();
    case PdmNumColors:
        return m_metrics.colorCount();
    case PdmDepth:
        return m_metrics.depth();
    case PdmDpiX:
        return m_metrics.logicalDpiX();
    case PdmDpiY:
        return m_metrics.logicalDpiY();
    case PdmPhysicalDpiX:
        return m_metrics.physicalDpiX();
    case PdmPhysicalDpiY:
        return m_metrics.physicalDpiY();
    case PdmDevicePixelRatio:
        return int(m_metrics.devicePixelRatio());
    case PdmDevicePixelRatioScaled:
        return int(m_metrics.devicePixelRatioF() * devicePixelRatioFScale());
    }
    return 0;
}
