#include "core/ErrorTexts.h"

#include <QFileDevice>
#include <cerrno>
#include <libxml/xmlerror.h>

QString SystemErrorText(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("на диске нет места");
    case EACCES:
    case EPERM:
        return QStringLiteral("нет прав на доступ");
    case EROFS:
        return QStringLiteral("диск или папка только для чтения");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("файл или папка не найдены");
    case EISDIR:
        return QStringLiteral("это папка, а не файл");
    case EFBIG:
    case EOVERFLOW:
        return QStringLiteral("файл слишком велик");
    case ENAMETOOLONG:
        return QStringLiteral("слишком длинное имя файла");
    case EBUSY:
    case ETXTBSY:
    case EAGAIN:
        return QStringLiteral("файл занят другой программой");
    case ENOMEM:
        return QStringLiteral("не хватает памяти");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("открыто слишком много файлов");
    case EIO:
        return QStringLiteral("ошибка чтения или записи на диске");
    default:
        return QStringLiteral("системная ошибка (код %1)").arg(error);
    }
}

QString FileErrorText(const QFileDevice& file, int error) {
    if (error != 0)
        return SystemErrorText(error);
    switch (file.error()) {
    case QFileDevice::ReadError:
        return QStringLiteral("не удалось прочитать данные");
    case QFileDevice::WriteError:
        return QStringLiteral("не удалось записать данные");
    case QFileDevice::ResourceError:
        return QStringLiteral("не хватает места или памяти");
    case QFileDevice::PermissionsError:
        return SystemErrorText(EACCES);
    case QFileDevice::OpenError:
        return QStringLiteral("не удалось открыть файл");
    case QFileDevice::RenameError:
    case QFileDevice::CopyError:
        return QStringLiteral("не удалось заменить прежний файл");
    default:
        return QStringLiteral("причина неизвестна");
    }
}

QString XmlErrorText(int code) {
    switch (code) {
    case XML_ERR_NO_MEMORY:
        return SystemErrorText(ENOMEM);
    case XML_ERR_DOCUMENT_EMPTY:
        return QStringLiteral("документ пуст");
    case XML_ERR_DOCUMENT_END:
    case XML_ERR_EXTRA_CONTENT:
        return QStringLiteral("после корневого элемента есть лишний текст");
    case XML_ERR_TAG_NAME_MISMATCH:
        return QStringLiteral("закрывающий тег не совпадает с открывающим");
    case XML_ERR_TAG_NOT_FINISHED:
    case XML_ERR_LTSLASH_REQUIRED:
    case XML_ERR_GT_REQUIRED:
        return QStringLiteral("тег не закрыт");
    case XML_ERR_UNDECLARED_ENTITY:
    case XML_WAR_UNDECLARED_ENTITY:
        return QStringLiteral("неизвестная ссылка на символ (&…;)");
    case XML_ERR_ENTITY_LOOP:
        return QStringLiteral("ссылки на символы раскрываются без конца");
    case XML_ERR_INVALID_CHAR:
    case XML_ERR_INVALID_CHARREF:
    case XML_ERR_INVALID_DEC_CHARREF:
    case XML_ERR_INVALID_HEX_CHARREF:
        return QStringLiteral("недопустимый символ");
    case XML_ERR_UNSUPPORTED_ENCODING:
    case XML_ERR_INVALID_ENCODING:
    case XML_ERR_UNKNOWN_ENCODING:
        return QStringLiteral("неизвестная или неверная кодировка");
    case XML_ERR_ATTRIBUTE_NOT_STARTED:
    case XML_ERR_ATTRIBUTE_NOT_FINISHED:
    case XML_ERR_ATTRIBUTE_WITHOUT_VALUE:
    case XML_ERR_LT_IN_ATTRIBUTE:
        return QStringLiteral("ошибка в значении атрибута");
    case XML_ERR_ATTRIBUTE_REDEFINED:
        return QStringLiteral("атрибут повторяется");
    case XML_ERR_NAME_REQUIRED:
    case XML_ERR_SPACE_REQUIRED:
        return QStringLiteral("ошибка в имени тега или атрибута");
    case XML_ERR_RESERVED_XML_NAME:
        return QStringLiteral("объявление XML не в начале файла");
    default:
        return QStringLiteral("документ составлен с ошибкой (код %1)").arg(code);
    }
}

QString ByteWord(qint64 count) {
    const qint64 ones = count % 10, tens = count % 100;
    const bool few = ones >= 2 && ones <= 4 && (tens < 12 || tens > 14);
    return few ? QStringLiteral("байта") : QStringLiteral("байт");
}
