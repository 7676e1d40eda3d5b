// A minimal application built against the installed library.
#include <qtcorvana.h>

int main()
{
    Cv::SetLoggingLevel(Cv::LogWarnings);
    return Cv::CvUtils::getDataType(QByteArray("GIF89a")) == Cv::CvUtils::DataGif ? 0 : 1;
}
