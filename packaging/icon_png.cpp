// Writes the program's icon as a PNG of one size, for the desktop's icon theme:
//   icon-png SOURCE SIZE OUT.png
#include <QImage>
#include <QString>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    const QImage icon(QString::fromLocal8Bit(argv[1]));
    const int size = QString::fromLocal8Bit(argv[2]).toInt();
    if (icon.isNull() || size <= 0)
        return 1;
    // The icon is pixel art: enlarged, its pixels stay sharp; made smaller, they blend.
    const auto how = size >= icon.width() ? Qt::FastTransformation : Qt::SmoothTransformation;
    return icon.scaled(size, size, Qt::IgnoreAspectRatio, how).save(QString::fromLocal8Bit(argv[3]), "PNG") ? 0 : 1;
}
