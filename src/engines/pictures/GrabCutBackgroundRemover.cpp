#include "engines/pictures/GrabCutBackgroundRemover.h"

#include "base/Errors.h"
#include "engines/pictures/UprightPicture.h"

#include <QFile>
#include <QFileInfo>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

namespace {

constexpr double workingSide = 600.0;
constexpr int iterations = 5;
// Subjects smaller or larger than this share of the picture aren't subjects.
constexpr double smallestShare = 0.01;
constexpr double largestShare = 0.99;
// Below this colour distance the "subject" is just more background.
constexpr double leastContrast = 12.0;

cv::Mat bgrPixels(const QImage& rgb)
{
    const cv::Mat view(rgb.height(), rgb.width(), CV_8UC3, const_cast<uchar*>(rgb.constBits()),
                       static_cast<size_t>(rgb.bytesPerLine()));
    cv::Mat bgr;
    cv::cvtColor(view, bgr, cv::COLOR_RGB2BGR);
    return bgr;
}

cv::Mat seedMask(cv::Size size)
{
    cv::Mat mask(size, CV_8UC1, cv::Scalar(cv::GC_PR_BGD));
    const int band = std::max(2, std::min(size.width, size.height) / 20);
    mask.setTo(cv::GC_BGD);
    mask(cv::Rect(band, band, size.width - 2 * band, size.height - 2 * band)).setTo(cv::GC_PR_BGD);
    mask(cv::Rect(size.width / 4, size.height / 4, size.width / 2, size.height / 2))
        .setTo(cv::GC_PR_FGD);
    return mask;
}

bool standsOut(const cv::Mat& bgr, const cv::Mat& foreground)
{
    const cv::Scalar subject = cv::mean(bgr, foreground);
    const cv::Scalar background = cv::mean(bgr, ~foreground);
    return cv::norm(subject - background) >= leastContrast;
}

} // namespace

std::optional<QImage> GrabCutBackgroundRemover::cutOut(const QImage& picture)
{
    if (picture.width() < 8 || picture.height() < 8)
        return std::nullopt;
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    const cv::Mat full = bgrPixels(rgb);
    const double scale = std::min(1.0, workingSide / std::max(full.cols, full.rows));
    cv::Mat small;
    cv::resize(full, small, cv::Size(), scale, scale, cv::INTER_AREA);

    cv::Mat mask = seedMask(small.size());
    try {
        cv::Mat backgroundModel, foregroundModel;
        cv::grabCut(small, mask, cv::Rect(), backgroundModel, foregroundModel, iterations,
                    cv::GC_INIT_WITH_MASK);
    } catch (const cv::Exception&) {
        return std::nullopt;
    }
    const cv::Mat foreground = (mask == cv::GC_FGD) | (mask == cv::GC_PR_FGD);
    const double share = cv::countNonZero(foreground) / double(foreground.total());
    if (share < smallestShare || share > largestShare || !standsOut(small, foreground))
        return std::nullopt;

    cv::Mat alpha;
    cv::resize(foreground, alpha, full.size(), 0, 0, cv::INTER_LINEAR);
    const double feather = std::max(1.0, 1.5 / scale);
    cv::GaussianBlur(alpha, alpha, cv::Size(), feather);

    QImage result = picture.convertToFormat(QImage::Format_RGBA8888);
    for (int y = 0; y < result.height(); ++y) {
        uchar* pixel = result.scanLine(y);
        const uchar* weight = alpha.ptr<uchar>(y);
        for (int x = 0; x < result.width(); ++x)
            pixel[4 * x + 3] = static_cast<uchar>(pixel[4 * x + 3] * weight[x] / 255);
    }
    return result;
}

bool GrabCutBackgroundRemover::removeBackground(const QString& input, const QString& output)
{
    const QImage picture = m_images ? UprightPicture::load(*m_images, input) : QImage();
    if (picture.isNull())
        throw Fail::cantRead(input);
    const std::optional<QImage> result = cutOut(picture);
    if (!result)
        return false;
    if (!result->convertToFormat(QImage::Format_RGBA8888).save(output, "PNG")) {
        QFile::remove(output);
        throw Fail::cantSave(output);
    }
    return true;
}
