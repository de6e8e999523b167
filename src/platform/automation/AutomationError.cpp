// Automation error exception and the table of Russian error descriptions that
// scripts read from Err.Description.
#include "platform/automation/AutomationError.h"
#include <QHash>

namespace vorn {

AutomationError::AutomationError(int number, const QString &detail)
    : m_number(number), m_description(errorDescription(number)), m_source(runtimeErrorSource())
{
    if (m_description.isEmpty())
        m_description = detail.isEmpty() ? QStringLiteral("Ошибка %1").arg(number) : detail;
    else
        m_detail = detail;
}

AutomationError::AutomationError(int number, const QString &description, const QString &source)
    : m_number(number), m_description(description), m_source(source)
{
}

const char *AutomationError::what() const noexcept
{
    m_what = m_description.toUtf8();
    return m_what.constData();
}

QString runtimeErrorSource() { return QStringLiteral("Ошибка выполнения Microsoft VBScript"); }
QString syntaxErrorSource() { return QStringLiteral("Ошибка компиляции Microsoft VBScript"); }

QString errorDescription(int number)
{
    static const QHash<int, QString> table = {
        {5, QStringLiteral("Неправильный вызов или аргумент процедуры")},
        {6, QStringLiteral("Переполнение")},
        {7, QStringLiteral("Недостаточно памяти")},
        {9, QStringLiteral("Индекс вне допустимого диапазона")},
        {10, QStringLiteral("Массив фиксирован или временно заблокирован")},
        {11, QStringLiteral("Деление на ноль")},
        {13, QStringLiteral("Несоответствие типа")},
        {14, QStringLiteral("Не хватает места для строк")},
        {17, QStringLiteral("Невозможно выполнить требуемую операцию")},
        {28, QStringLiteral("Не хватает места для стека")},
        {35, QStringLiteral("Sub или Function не определена")},
        {48, QStringLiteral("Ошибка при загрузке DLL")},
        {51, QStringLiteral("Внутренняя ошибка")},
        {52, QStringLiteral("Неправильное имя или номер файла")},
        {53, QStringLiteral("Файл не найден")},
        {54, QStringLiteral("Неправильный режим файла")},
        {55, QStringLiteral("Файл уже открыт")},
        {57, QStringLiteral("Ошибка устройства ввода/вывода")},
        {58, QStringLiteral("Файл уже существует")},
        {61, QStringLiteral("Диск заполнен")},
        {62, QStringLiteral("Ввод за пределами конца файла")},
        {67, QStringLiteral("Слишком много файлов")},
        {68, QStringLiteral("Устройство недоступно")},
        {70, QStringLiteral("Разрешение отклонено")},
        {71, QStringLiteral("Диск не готов")},
        {74, QStringLiteral("Невозможно переименование с другим диском")},
        {75, QStringLiteral("Ошибка доступа к пути/файлу")},
        {76, QStringLiteral("Путь не найден")},
        {91, QStringLiteral("Переменная объекта или переменная блока With не задана")},
        {92, QStringLiteral("Цикл For не инициализирован")},
        {94, QStringLiteral("Недопустимое использование Null")},
        {322, QStringLiteral("Невозможно создать необходимый временный файл")},
        {424, QStringLiteral("Требуется объект")},
        {429, QStringLiteral("Невозможно создание объекта сервером программирования объектов")},
        {430, QStringLiteral("Класс не поддерживает автоматизацию")},
        {432, QStringLiteral("Не найдено имя файла или класса во время операции автоматизации")},
        {438, QStringLiteral("Объект не поддерживает это свойство или метод")},
        {440, QStringLiteral("Ошибка автоматизации")},
        {445, QStringLiteral("Объект не поддерживает это действие")},
        {446, QStringLiteral("Объект не поддерживает именованные аргументы")},
        {447, QStringLiteral("Объект не поддерживает текущую национальную настройку")},
        {448, QStringLiteral("Именованный аргумент не найден")},
        {449, QStringLiteral("Аргумент не является необязательным")},
        {450, QStringLiteral("Неправильное число аргументов или недопустимое присвоение значения свойства")},
        {451, QStringLiteral("Объект не является семейством")},
        {457, QStringLiteral("Этот ключ уже связан с элементом семейства")},
        {458, QStringLiteral("Переменная использует тип автоматизации, не поддерживаемый в VBScript")},
        {462, QStringLiteral("Удаленный сервер не существует или недоступен")},
        {500, QStringLiteral("Переменная не определена")},
        {501, QStringLiteral("Недопустимое присвоение")},
        {502, QStringLiteral("Объект небезопасен для использования в сценариях")},
        {505, QStringLiteral("Недопустимая или неквалифицированная ссылка")},
        {506, QStringLiteral("Класс не определен")},
        {507, QStringLiteral("Возникла исключительная ситуация")},
        {1001, QStringLiteral("Не хватает памяти")},
        {1002, QStringLiteral("Синтаксическая ошибка")},
        {1003, QStringLiteral("Предполагается наличие ':'")},
        {1005, QStringLiteral("Предполагается наличие '('")},
        {1006, QStringLiteral("Предполагается наличие ')'")},
        {1007, QStringLiteral("Предполагается наличие ']'")},
        {1010, QStringLiteral("Предполагается наличие идентификатора")},
        {1011, QStringLiteral("Предполагается наличие '='")},
        {1012, QStringLiteral("Предполагается наличие 'If'")},
        {1013, QStringLiteral("Предполагается наличие 'To'")},
        {1014, QStringLiteral("Предполагается наличие 'End'")},
        {1015, QStringLiteral("Предполагается наличие 'Function'")},
        {1016, QStringLiteral("Предполагается наличие 'Sub'")},
        {1017, QStringLiteral("Предполагается наличие 'Then'")},
        {1018, QStringLiteral("Предполагается наличие 'Wend'")},
        {1019, QStringLiteral("Предполагается наличие 'Loop'")},
        {1020, QStringLiteral("Предполагается наличие 'Next'")},
        {1021, QStringLiteral("Предполагается наличие 'Case'")},
        {1022, QStringLiteral("Предполагается наличие 'Select'")},
        {1023, QStringLiteral("Предполагается наличие выражения")},
        {1024, QStringLiteral("Предполагается наличие оператора")},
        {1025, QStringLiteral("Предполагается конец оператора")},
        {1026, QStringLiteral("Предполагается целая константа")},
        {1027, QStringLiteral("Предполагается наличие 'While' или 'Until'")},
        {1028, QStringLiteral("Предполагается наличие 'While', 'Until' или конца оператора")},
        {1029, QStringLiteral("Предполагается наличие 'With'")},
        {1030, QStringLiteral("Слишком длинный идентификатор")},
        {1031, QStringLiteral("Недопустимое число")},
        {1032, QStringLiteral("Недопустимый знак")},
        {1033, QStringLiteral("Незавершенная строковая константа")},
        {1037, QStringLiteral("Недопустимое использование ключевого слова 'Me'")},
        {1038, QStringLiteral("'loop' без 'do'")},
        {1039, QStringLiteral("Недопустимый оператор 'exit'")},
        {1040, QStringLiteral("Недопустимая переменная управления циклом 'for'")},
        {1041, QStringLiteral("Повторное определение имени")},
        {1042, QStringLiteral("Должен быть первым оператором строки")},
        {1044, QStringLiteral("Невозможно использовать скобки при вызове Sub")},
        {1045, QStringLiteral("Предполагается литеральная константа")},
        {1046, QStringLiteral("Предполагается наличие 'In'")},
        {1047, QStringLiteral("Предполагается наличие 'Class'")},
        {1048, QStringLiteral("Должен быть определен внутри класса")},
        {1049, QStringLiteral("Предполагается наличие Let, Set или Get в объявлении свойства")},
        {1050, QStringLiteral("Предполагается наличие 'Property'")},
        {1052, QStringLiteral("Невозможно иметь несколько стандартных свойств или методов в классе")},
        {1053, QStringLiteral("Инициализация или завершение класса не имеют аргументов")},
        {1055, QStringLiteral("Неожиданное 'Next'")},
        {1057, QStringLiteral("'Default' должно также задавать 'Public'")},
        {1058, QStringLiteral("'Default' может быть задано только для 'Property Get'")},
        {5017, QStringLiteral("Синтаксическая ошибка в регулярном выражении")},
        {5020, QStringLiteral("Предполагается наличие ')' в регулярном выражении")},
        {32811, QStringLiteral("Элемент не найден")},
    };
    return table.value(number);
}

} // namespace vorn
