-- Code lists of the catalogue (Lookups) and the function argument prefix (p_ keeps arguments apart from columns).
-- Script languages are read in Id order: VBScript first.

INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornForm_IdDestination', 0, 'Экран (предварительный просмотр)');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornForm_IdDestination', 1, 'Спросить при запуске');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornForm_IdDestination', 2, 'Принтер');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornForm_IdDestination', 3, 'Файл');

INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornForm_IdTypExec', 1, 'Отчёт по макету');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornForm_IdTypExec', 1000, 'Данные в таблицах');

INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornParam_IdParTyp', 0, 'Строка');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornParam_IdParTyp', 1, 'Дата');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornParam_IdParTyp', 2, 'Деньги');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornParam_IdParTyp', 3, 'Число');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornParam_IdParTyp', 4, 'Целое число');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornParam_IdParTyp', 5, 'Выбор из списка');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornParam_IdParTyp', 6, 'Выбор нескольких из списка');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornParam_IdParTyp', 7, 'Дата и время');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornParam_IdParTyp', 8, 'Пароль');

INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornParam_IdTypDefVal', 0, 'Значение типа по умолчанию');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornParam_IdTypDefVal', 1, 'Последнее введённое значение');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornParam_IdTypDefVal', 2, 'Результат SQL-запроса');

INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornRemoteData_IdRemtServerType', 0, 'Не подключается');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornRemoteData_IdRemtServerType', 1, 'Сервер приложений (GetData)');

INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornRemoteData_IdRemtProtocol', 0, 'DCOM');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornRemoteData_IdRemtProtocol', 1, 'TCP/IP');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornRemoteData_IdRemtProtocol', 2, 'HTTP');

INSERT INTO Lookups (Teg, Ival, Item, Comment) VALUES ('VornScript_IdScrEng', 1, 'VBScript', '''');
INSERT INTO Lookups (Teg, Ival, Item, Comment) VALUES ('VornScript_IdScrEng', 2, 'JScript', '//');

INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornUsers_IdTypObj', 1, 'Группа отчётов');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornUsers_IdTypObj', 2, 'Отчёт');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornUsers_IdTypObj', 3, 'Запрос');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornUsers_IdTypObj', 4, 'Параметр');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornUsers_IdTypObj', 5, 'Скрипт');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornUsers_IdTypObj', 6, 'Импорт данных');
INSERT INTO Lookups (Teg, Ival, Item) VALUES ('VornUsers_IdTypObj', 7, 'Модуль данных');

INSERT INTO Lookups (Teg, Ival, Item) VALUES ('Vorn_prmPrefix', NULL, 'p_');
