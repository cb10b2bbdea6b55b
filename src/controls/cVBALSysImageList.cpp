#include "controls/cVBALSysImageList.h"

#include <cmath>
#include <limits>

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QList>
#include <QMimeDatabase>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QStorageInfo>

namespace controls
{
namespace
{
// The icons of the process, by the kind of item they stand for. Index 0 is the unknown file type.
class IconStore
{
public:
    IconStore()
    {
        m_icons << m_provider.icon(QFileIconProvider::File);
        m_byKind.insert(QStringLiteral("file"), 0);
    }

    qint32 indexOf(const QString& kind, const std::function<QIcon()>& make)
    {
        const auto found = m_byKind.constFind(kind);
        if (found != m_byKind.constEnd())
            return *found;
        QIcon icon = make();
        if (icon.isNull())
            return 0;
        m_icons << icon;
        const qint32 index = static_cast<qint32>(m_icons.size() - 1);
        m_byKind.insert(kind, index);
        return index;
    }

    QIcon at(qint32 index) const { return index >= 0 && index < m_icons.size() ? m_icons.at(index) : QIcon(); }
    QFileIconProvider& provider() { return m_provider; }

private:
    QFileIconProvider m_provider;
    QList<QIcon> m_icons;
    QHash<QString, qint32> m_byKind;
};

IconStore& store()
{
    static IconStore icons;
    return icons;
}

// The two lists the store offers; their addresses are the handles.
struct IconListHandle
{
    int size;
};
const IconListHandle SmallList {16};
const IconListHandle LargeList {32};

const IconListHandle* listOf(qintptr handle)
{
    if (handle == reinterpret_cast<qintptr>(&SmallList))
        return &SmallList;
    if (handle == reinterpret_cast<qintptr>(&LargeList))
        return &LargeList;
    return nullptr;
}

bool hasDesktop()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

std::optional<qint32> numericKey(const QVariant& key)
{
    double number = 0;
    bool ok = false;
    if (key.typeId() == QMetaType::QString)
        number = key.toString().trimmed().toDouble(&ok);
    else if (key.canConvert<double>() && key.typeId() != QMetaType::QByteArray)
        number = key.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    const double rounded = std::nearbyint(number);
    if (rounded < std::numeric_limits<qint32>::min() || rounded > std::numeric_limits<qint32>::max())
        return 0;
    return static_cast<qint32>(rounded);
}

bool isVolumeRoot(const QFileInfo& info)
{
    if (info.isRoot())
        return true;
    const QStorageInfo volume(info.absoluteFilePath());
    return volume.isValid() && QFileInfo(volume.rootPath()) == QFileInfo(info.canonicalFilePath());
}

qint32 indexOnDisk(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return 0;
    IconStore& icons = store();
    if (info.isDir()) {
        // Only a folder can be the root of a volume; reading the mount table for every file made
        // thousands of paths slow.
        if (isVolumeRoot(info))
            return icons.indexOf(QStringLiteral("drive"), [&] { return icons.provider().icon(info); });
        return icons.indexOf(QStringLiteral("folder"), [&] { return icons.provider().icon(info); });
    }
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
    if (type.isDefault())
        return 0;
    return icons.indexOf(type.name(), [&] { return icons.provider().icon(info); });
}

qint32 indexByName(const QString& path)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault())
        return 0;
    IconStore& icons = store();
    return icons.indexOf(type.name(), [&] {
        QIcon icon = QIcon::fromTheme(type.iconName());
        if (icon.isNull())
            icon = QIcon::fromTheme(type.genericIconName());
        return icon.isNull() ? icons.provider().icon(QFileIconProvider::File) : icon;
    });
}

QPixmap blended(const QPixmap& picture, const QColor& colour)
{
    QPixmap result = picture;
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    painter.setOpacity(0.5);
    painter.fillRect(result.rect(), colour);
    return result;
}

QColor fromRgbValue(qint32 value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

QColor systemColour(const QPalette& palette, quint32 index)
{
    struct Entry
    {
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
    };
    // Windows system colour indexes and the palette roles that play their part here.
    static const std::optional<Entry> table[] = {
        Entry {QPalette::Active, QPalette::Mid}, // scroll bar
        Entry {QPalette::Active, QPalette::Dark}, // desktop
        Entry {QPalette::Active, QPalette::Highlight}, // active caption
        Entry {QPalette::Inactive, QPalette::Mid}, // inactive caption
        Entry {QPalette::Active, QPalette::Window}, // menu
        Entry {QPalette::Active, QPalette::Base}, // window
        Entry {QPalette::Active, QPalette::Shadow}, // window frame
        Entry {QPalette::Active, QPalette::WindowText}, // menu text
        Entry {QPalette::Active, QPalette::Text}, // window text
        Entry {QPalette::Active, QPalette::HighlightedText}, // caption text
        Entry {QPalette::Active, QPalette::Button}, // active border
        Entry {QPalette::Inactive, QPalette::Button}, // inactive border
        Entry {QPalette::Active, QPalette::Mid}, // application workspace
        Entry {QPalette::Active, QPalette::Highlight}, // highlight
        Entry {QPalette::Active, QPalette::HighlightedText}, // highlight text
        Entry {QPalette::Active, QPalette::Button}, // button face
        Entry {QPalette::Active, QPalette::Dark}, // button shadow
        Entry {QPalette::Disabled, QPalette::Text}, // grey text
        Entry {QPalette::Active, QPalette::ButtonText}, // button text
        Entry {QPalette::Inactive, QPalette::WindowText}, // inactive caption text
        Entry {QPalette::Active, QPalette::Light}, // button highlight
        Entry {QPalette::Active, QPalette::Shadow}, // 3D dark shadow
        Entry {QPalette::Active, QPalette::Midlight}, // 3D light
        Entry {QPalette::Active, QPalette::ToolTipText}, // info text
        Entry {QPalette::Active, QPalette::ToolTipBase}, // info background
        std::nullopt, // no colour has this index
        Entry {QPalette::Active, QPalette::Link}, // hot light
        Entry {QPalette::Active, QPalette::Highlight}, // gradient active caption
        Entry {QPalette::Inactive, QPalette::Mid}, // gradient inactive caption
        Entry {QPalette::Active, QPalette::Highlight}, // menu highlight
        Entry {QPalette::Active, QPalette::Window}, // menu bar
    };
    if (index >= std::size(table) || !table[index])
        return {};
    return palette.color(table[index]->group, table[index]->role);
}
} // namespace

cVBALSysImageList::~cVBALSysImageList()
{
    Destroy();
}

qint32 cVBALSysImageList::SystemColourDepth()
{
    const QScreen* screen = hasDesktop() ? QGuiApplication::primaryScreen() : nullptr;
    return screen ? screen->depth() : 0;
}

bool cVBALSysImageList::Create()
{
    Destroy();
    if (!hasDesktop())
        return false;
    m_handle = reinterpret_cast<qintptr>(m_sizeX < 32 ? &SmallList : &LargeList);
    return true;
}

void cVBALSysImageList::Destroy()
{
    m_handle = 0;
}

void cVBALSysImageList::Clear()
{
    Create();
}

qint32 cVBALSysImageList::ItemIndex(const QVariant& vKey, bool bForceLoadFromDisk) const
{
    if (const auto number = numericKey(vKey))
        return *number;
    if (!hasDesktop())
        return 0;
    const QString path = vKey.toString();
    return bForceLoadFromDisk ? indexOnDisk(path) : indexByName(path);
}

void cVBALSysImageList::DrawImage(const QVariant& vKey, QPainter* hdc, qint16 xPixels, qint16 yPixels,
                                  const QVariant& bSelected, const QVariant& bCut, const QVariant& bDisabled,
                                  quint32 oCutDitherColour, qintptr hExternalIml) const
{
    const qint32 index = ItemIndex(vKey, false);
    if (index < 0 || hdc == nullptr)
        return;
    const qintptr list = hExternalIml != 0 ? hExternalIml : m_handle;
    const int size = listIconSize(list);
    const QIcon icon = iconAt(list, index);
    if (icon.isNull())
        return;
    // A null Variant counts as false.
    const bool selected = bSelected.toBool();
    const bool cut = bCut.toBool();
    const bool disabled = bDisabled.toBool();
    QPixmap picture = icon.pixmap(size, size);
    if (cut) {
        qint32 dither = TranslateColor(oCutDitherColour);
        if (dither == -1)
            dither = TranslateColor(0x80000005);
        picture = blended(picture, fromRgbValue(dither));
    } else if (disabled) {
        picture = icon.pixmap(QSize(m_sizeX, m_sizeY), QIcon::Disabled);
    } else if (selected) {
        picture = blended(picture, fromRgbValue(TranslateColor(0x8000000D)));
    }
    hdc->drawPixmap(xPixels, yPixels, picture);
}

QIcon cVBALSysImageList::ItemCopyOfIcon(const QVariant& vKey) const
{
    const qint32 index = ItemIndex(vKey, false);
    if (index < 0)
        return {};
    return iconAt(m_handle, index);
}

QPixmap cVBALSysImageList::ItemPicture(const QVariant& vKey) const
{
    return IconToPicture(ItemCopyOfIcon(vKey));
}

QPixmap cVBALSysImageList::ImagePictureStrip(const QVariant& vKeys, quint32 oBackColor, bool bForceLoadFromDisk,
                                             int lowerBound) const
{
    if (m_handle == 0 || !vKeys.canConvert<QVariantList>() || vKeys.typeId() == QMetaType::QString)
        return {};
    const QVariantList keys = vKeys.toList();
    if (keys.isEmpty())
        return {};
    // Wider than a picture can be: no picture rather than a failure.
    const qint64 width = static_cast<qint64>(keys.size()) * m_sizeX;
    if (m_sizeX <= 0 || m_sizeY <= 0 || width > std::numeric_limits<int>::max())
        return {};
    QPixmap strip(static_cast<int>(width), m_sizeY);
    if (strip.isNull())
        return {};
    strip.fill(fromRgbValue(TranslateColor(oBackColor)));
    QPainter painter(&strip);
    const int size = listIconSize(m_handle);
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const int position = lowerBound + static_cast<int>(i);
        const QIcon icon = iconAt(m_handle, ItemIndex(keys.at(i), bForceLoadFromDisk));
        if (!icon.isNull())
            painter.drawPixmap((position - lowerBound) * m_sizeX, 0, icon.pixmap(size, size));
    }
    return strip;
}

QPixmap cVBALSysImageList::IconToPicture(const QIcon& hIcon) const
{
    if (hIcon.isNull())
        return {};
    const int size = m_handle != 0 ? listIconSize(m_handle) : m_sizeX;
    return hIcon.pixmap(size, size);
}

QPixmap cVBALSysImageList::BitmapToPicture(const QImage& hBmp)
{
    if (hBmp.isNull())
        return {};
    return QPixmap::fromImage(hBmp);
}

qint32 cVBALSysImageList::TranslateColor(quint32 clr, const QPalette* hPal)
{
    const quint32 kind = clr >> 24;
    if (kind == 0)
        return static_cast<qint32>(clr);
    if (kind != 0x80)
        return -1;
    const QPalette palette = hPal ? *hPal : (hasDesktop() ? QGuiApplication::palette() : QPalette());
    const QColor colour = systemColour(palette, clr & 0xFFFFFF);
    if (!colour.isValid())
        return -1;
    return colour.red() + 256 * colour.green() + 65536 * colour.blue();
}

QIcon cVBALSysImageList::iconAt(qintptr himl, qint32 index)
{
    if (!listOf(himl))
        return {};
    return store().at(index);
}

int cVBALSysImageList::listIconSize(qintptr himl)
{
    const IconListHandle* list = listOf(himl);
    return list ? list->size : 0;
}

} // namespace controls
