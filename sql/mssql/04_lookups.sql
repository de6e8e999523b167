-- Code lists of the catalogue (Lookups) and the procedure parameter prefix.
-- Script languages are read in Id order: VBScript first.
-- Unicode literals (N) keep the Cyrillic captions whatever the database collation.

INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornForm_IdDestination', 0, N'Экран (предварительный просмотр)');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornForm_IdDestination', 1, N'Спросить при запуске');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornForm_IdDestination', 2, N'Принтер');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornForm_IdDestination', 3, N'Файл');

INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornForm_IdTypExec', 1, N'Отчёт по макету');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornForm_IdTypExec', 1000, N'Данные в таблицах');

INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornParam_IdParTyp', 0, N'Строка');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornParam_IdParTyp', 1, N'Дата');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornParam_IdParTyp', 2, N'Деньги');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornParam_IdParTyp', 3, N'Число');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornParam_IdParTyp', 4, N'Целое число');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornParam_IdParTyp', 5, N'Выбор из списка');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornParam_IdParTyp', 6, N'Выбор нескольких из списка');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornParam_IdParTyp', 7, N'Дата и время');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornParam_IdParTyp', 8, N'Пароль');

INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornParam_IdTypDefVal', 0, N'Значение типа по умолчанию');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornParam_IdTypDefVal', 1, N'Последнее введённое значение');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornParam_IdTypDefVal', 2, N'Результат SQL-запроса');

INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornRemoteData_IdRemtServerType', 0, N'Не подключается');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornRemoteData_IdRemtServerType', 1, N'Сервер приложений (GetData)');

INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornRemoteData_IdRemtProtocol', 0, N'DCOM');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornRemoteData_IdRemtProtocol', 1, N'TCP/IP');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornRemoteData_IdRemtProtocol', 2, N'HTTP');

INSERT INTO Lookups (Teg, Ival, Item, Comment) VALUES (N'VornScript_IdScrEng', 1, N'VBScript', N'''');
INSERT INTO Lookups (Teg, Ival, Item, Comment) VALUES (N'VornScript_IdScrEng', 2, N'JScript', N'//');

INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornUsers_IdTypObj', 1, N'Группа отчётов');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornUsers_IdTypObj', 2, N'Отчёт');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornUsers_IdTypObj', 3, N'Запрос');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornUsers_IdTypObj', 4, N'Параметр');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornUsers_IdTypObj', 5, N'Скрипт');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornUsers_IdTypObj', 6, N'Импорт данных');
INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'VornUsers_IdTypObj', 7, N'Модуль данных');

INSERT INTO Lookups (Teg, Ival, Item) VALUES (N'Vorn_prmPrefix', NULL, N'@');
GO
