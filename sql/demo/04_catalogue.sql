-- Demo catalogue over the trading business: groups, reports, queries with
-- parameters of every kind, a data module, scripts, an import and rights.
-- Written by make_demo.py; edit that script, not this file. Layouts stay NULL.

INSERT INTO VornGroup (GrpName, Numm) VALUES ('Продажи', 1);
INSERT INTO VornGroup (GrpName, Numm) VALUES ('Справочники', 2);
INSERT INTO VornGroup (GrpName, Numm) VALUES ('Сервис', 3);

INSERT INTO VornQuery (Numm, Name, Description, SQLtext) VALUES (1, 'Продажи за период по регионам', 'Накладные за период в выбранных регионах', 'SELECT r.Name AS Region, c.Name AS Client, i.InvNo, i.InvDate, i.Total, i.Paid
FROM Invoices i
  JOIN Clients c ON c.Id = i.ClientId
  JOIN Regions r ON r.Id = c.RegionId
WHERE i.InvDate BETWEEN :DateFrom AND :DateTo
  AND r.Id IN (%%Regions%%)
ORDER BY r.Name, i.InvDate, i.InvNo');
INSERT INTO VornQuery (Numm, Name, Description, SQLtext) VALUES (2, 'Накладные клиента', 'Шапки накладных одного клиента (главный запрос)', 'SELECT i.Id, i.InvNo, i.InvDate, i.Total, i.Paid, i.Manager, c.Name AS Client, c.Address
FROM Invoices i JOIN Clients c ON c.Id = i.ClientId
WHERE i.ClientId = :Client AND i.InvDate BETWEEN :DateFrom AND :DateTo
ORDER BY i.InvDate, i.InvNo');
INSERT INTO VornQuery (Numm, Name, Description, SQLtext) VALUES (3, 'Строки накладной', 'Строки текущей накладной (подчинённый запрос, Id из главного)', 'SELECT l.Id AS LineId, g.Code, g.Name AS Goods, g.Unit, l.Qty, l.Price, l.Amount
FROM InvoiceLines l JOIN Goods g ON g.Id = l.GoodsId
WHERE l.InvoiceId = :Id
ORDER BY l.Id');
INSERT INTO VornQuery (Numm, Name, Description, SQLtext) VALUES (4, 'Состав выбранной накладной', 'Клиент и его накладная выбираются из списков', 'SELECT i.InvNo, i.InvDate, g.Name AS Goods, g.Unit, l.Qty, l.Price, l.Amount
FROM InvoiceLines l
  JOIN Invoices i ON i.Id = l.InvoiceId
  JOIN Goods g ON g.Id = l.GoodsId
WHERE i.ClientId = :Client AND i.Id = :Invoice
ORDER BY l.Id');
INSERT INTO VornQuery (Numm, Name, Description, SQLtext) VALUES (5, 'Крупные покупатели', 'Покупатели с оборотом не меньше заданного', 'SELECT c.Name AS Client, r.Name AS Region, COUNT(*) AS Invoices, SUM(i.Total) AS Total,
       SUM(i.Total) * (100 - :Discount) / 100 AS TotalWithDiscount
FROM Invoices i
  JOIN Clients c ON c.Id = i.ClientId
  JOIN Regions r ON r.Id = c.RegionId
WHERE i.InvDate >= :SinceTime
GROUP BY c.Name, r.Name
HAVING SUM(i.Total) >= :MinTotal AND COUNT(*) >= :MinCount
ORDER BY 4 DESC');
INSERT INTO VornQuery (Numm, Name, Description, SQLtext) VALUES (6, 'Прайс-лист', 'Товары группы с ценами', 'SELECT g.Code, g.Name, g.Unit, g.Price, g.GroupName
FROM Goods g
WHERE g.GroupName LIKE ''%%GoodsGroup%%%''
ORDER BY g.GroupName, g.Name');
INSERT INTO VornQuery (Numm, Name, Description, SQLtext) VALUES (7, 'Закупочные цены', 'Цены со скидкой поставщика; нужен пароль', 'SELECT g.Code, g.Name, g.Unit, g.Price, g.Price * 0.8 AS PurchasePrice
FROM Goods g
WHERE :Password = ''закупка''
ORDER BY g.Name');
INSERT INTO VornQuery (Numm, Name, Description, SQLtext) VALUES (8, 'Справочник клиентов', 'Клиенты с регионами и лимитами', 'SELECT c.Id, c.Name, r.Name AS Region, c.Inn, c.Phone, c.Address, c.CreditLimit
FROM Clients c JOIN Regions r ON r.Id = c.RegionId
ORDER BY c.Name');
INSERT INTO VornQuery (Numm, Name, Description, SQLtext) VALUES (9, 'Неоплаченные накладные', 'Долги клиентов на дату', 'SELECT c.Name AS Client, i.InvNo, i.InvDate, i.Total
FROM Invoices i JOIN Clients c ON c.Id = i.ClientId
WHERE i.Paid = 0 AND i.InvDate <= :OnDate
ORDER BY c.Name, i.InvDate');

INSERT INTO VornRemoteData (Numm, Name, Description, IdRemtServerType, ServerName, ServerGUID, ComputerName, IdRemtProtocol, Port) VALUES (1, 'Остатки на складе', 'Сервер приложений склада (GetData)', 1, 'Vorn.StockServer', '', 'localhost', 2, 8211);

INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, SQL, Width, LookupField, LookupDisplay, LookupDisplayIndex, IdTypDefVal, DefSQL) VALUES ((SELECT Id FROM VornQuery WHERE Name = 'Продажи за период по регионам'), NULL, 1, 'DateFrom', 'С даты', 1, NULL, 0, NULL, NULL, 0, 1, NULL);
INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, SQL, Width, LookupField, LookupDisplay, LookupDisplayIndex, IdTypDefVal, DefSQL) VALUES ((SELECT Id FROM VornQuery WHERE Name = 'Продажи за период по регионам'), NULL, 2, 'DateTo', 'По дату', 1, NULL, 0, NULL, NULL, 0, 1, NULL);
INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, SQL, Width, LookupField, LookupDisplay, LookupDisplayIndex, IdTypDefVal, DefSQL) VALUES ((SELECT Id FROM VornQuery WHERE Name = 'Продажи за период по регионам'), NULL, 3, 'Regions', 'Регионы', 6, 'SELECT Id, Name FROM Regions ORDER BY Name', 300, 'Id', 'Name', 0, 0, NULL);
INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, SQL, Width, LookupField, LookupDisplay, LookupDisplayIndex, IdTypDefVal, DefSQL) VALUES ((SELECT Id FROM VornQuery WHERE Name = 'Накладные клиента'), NULL, 1, 'Client', 'Клиент', 5, 'SELECT Id, Name FROM Clients ORDER BY Name', 300, 'Id', 'Name', 0, 1, NULL);
INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, SQL, Width, LookupField, LookupDisplay, LookupDisplayIndex, IdTypDefVal, DefSQL) VALUES ((SELECT Id FROM VornQuery WHERE Name = 'Накладные клиента'), NULL, 2, 'DateFrom', 'С даты', 1, NULL, 0, NULL, NULL, 0, 2, 'SELECT MIN(InvDate) FROM Invoices WHERE ClientId = :Client');
INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, SQL, Width, LookupField, LookupDisplay, LookupDisplayIndex, IdTypDefVal, DefSQL) VALUES ((SELECT Id FROM VornQuery WHERE Name = 'Накладные клиента'), NULL, 3, 'DateTo', 'По дату', 1, NULL, 0, NULL, NULL, 0, 2, 'SELECT MAX(InvDate) FROM Invoices WHERE ClientId = :Client');
INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, SQL, Width, LookupField, LookupDisplay, LookupDisplayIndex, IdTypDefVal, DefSQL) VALUES ((SELECT Id FROM VornQuery WHERE Name = 'Состав выбранной накладной'), NULL, 1, 'Client', 'Клиент', 5, 'SELECT Id, Name FROM Clients ORDER BY Name', 300, 'Id', 'Name', 0, 1, NULL);
INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, SQL, Width, LookupField, LookupDisplay, LookupDisplayIndex, IdTypDefVal, DefSQL) VALUES ((SELECT Id FROM VornQuery WHERE Name = 'Состав выбранной накладной'), NULL, 2, 'Invoice', 'Накладная', 5, 'SELECT Id, InvNo, InvDate, Total FROM Invoices WHERE ClientId = :Client ORDER BY InvDate DESC', 300, 'Id', 'InvNo', -1, 0, NULL);
INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, SQL, Width, LookupField, LookupDisplay, LookupDisplayIndex, IdTypDefVal, DefSQL) VALUES ((SELECT Id FROM VornQuery WHERE Name = 'Крупные покупатели'), NULL, 1, 'MinTotal', 'Оборот не менее, руб.', 2, NULL, 0, NULL, NULL, 0, 1, NULL);
INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, SQL, Width, LookupField, LookupDisplay, LookupDisplayIndex, IdTypDefVal, DefSQL) VALUES ((SELECT Id FROM VornQuery WHERE Name = 'Крупные покупатели'), NULL, 2, 'MinCount', 'Накладных не менее', 4, NULL, 0, NULL, NULL, 0, 0, NULL);
INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, SQL, Width, LookupField, LookupDisplay, LookupDisplayIndex, IdTypDefVal, DefSQL) VALUES ((SELECT Id FROM VornQuery WHERE Name = 'Крупные покупатели'), NULL, 3, 'Discount', 'Скидка, %', 3, NULL, 0, NULL, NULL, 0, 0, NULL);
INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, SQL, Width, LookupField, LookupDisplay, LookupDisplayIndex, IdTypDefVal, DefSQL) VALUES ((SELECT Id FROM VornQuery WHERE Name = 'Крупные покупатели'), NULL, 4, 'SinceTime', 'Начиная с (дата и время)', 7, NULL, 0, NULL, NULL, 0, 2, 'SELECT MIN(InvDate) FROM Invoices');
INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, SQL, Width, LookupField, LookupDisplay, LookupDisplayIndex, IdTypDefVal, DefSQL) VALUES ((SELECT Id FROM VornQuery WHERE Name = 'Прайс-лист'), NULL, 1, 'GoodsGroup', 'Группа товаров (начало)', 0, NULL, 0, NULL, NULL, 0, 1, NULL);
INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, SQL, Width, LookupField, LookupDisplay, LookupDisplayIndex, IdTypDefVal, DefSQL) VALUES ((SELECT Id FROM VornQuery WHERE Name = 'Закупочные цены'), NULL, 1, 'Password', 'Пароль', 8, NULL, 0, NULL, NULL, 0, 0, NULL);
INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, SQL, Width, LookupField, LookupDisplay, LookupDisplayIndex, IdTypDefVal, DefSQL) VALUES ((SELECT Id FROM VornQuery WHERE Name = 'Неоплаченные накладные'), NULL, 1, 'OnDate', 'На дату', 1, NULL, 0, NULL, NULL, 0, 0, NULL);
INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, SQL, Width, LookupField, LookupDisplay, LookupDisplayIndex, IdTypDefVal, DefSQL) VALUES (NULL, (SELECT Id FROM VornRemoteData WHERE Name = 'Остатки на складе'), 1, 'Store', 'Склад', 0, NULL, 0, NULL, NULL, 0, 0, NULL);

INSERT INTO VornForm (Numm, Name, Description, IdDestination, IdTypExec) VALUES (1, 'Продажи по регионам за период', 'Накладные за период по выбранным регионам', 0, 1);
INSERT INTO VornForm (Numm, Name, Description, IdDestination, IdTypExec) VALUES (2, 'Накладные клиента с составом', 'Главный запрос — накладные, подчинённый — их строки', 0, 1);
INSERT INTO VornForm (Numm, Name, Description, IdDestination, IdTypExec) VALUES (3, 'Состав накладной', 'Данные в таблицах', 0, 1000);
INSERT INTO VornForm (Numm, Name, Description, IdDestination, IdTypExec) VALUES (4, 'Крупные покупатели', 'Вывод выбирается при запуске', 1, 1);
INSERT INTO VornForm (Numm, Name, Description, IdDestination, IdTypExec) VALUES (5, 'Прайс-лист', 'Товары по группам', 0, 1);
INSERT INTO VornForm (Numm, Name, Description, IdDestination, IdTypExec) VALUES (6, 'Закупочные цены', 'Только по паролю', 0, 1000);
INSERT INTO VornForm (Numm, Name, Description, IdDestination, IdTypExec) VALUES (7, 'Справочник клиентов', 'Все клиенты', 0, 1);
INSERT INTO VornForm (Numm, Name, Description, IdDestination, IdTypExec) VALUES (8, 'Неоплаченные накладные', 'Долги на дату', 0, 1);
INSERT INTO VornForm (Numm, Name, Description, IdDestination, IdTypExec) VALUES (9, 'Остатки на складе', 'Данные модуля сервера приложений', 0, 1000);

INSERT INTO VornFrm2Qry (IdForm, Numm, IdQuery, IdRemoteData, IsMaster, QueryShortName) VALUES ((SELECT Id FROM VornForm WHERE Name = 'Продажи по регионам за период'), 1, (SELECT Id FROM VornQuery WHERE Name = 'Продажи за период по регионам'), NULL, 0, 'Query1');
INSERT INTO VornFrm2Qry (IdForm, Numm, IdQuery, IdRemoteData, IsMaster, QueryShortName) VALUES ((SELECT Id FROM VornForm WHERE Name = 'Накладные клиента с составом'), 1, (SELECT Id FROM VornQuery WHERE Name = 'Накладные клиента'), NULL, 1, 'Query1');
INSERT INTO VornFrm2Qry (IdForm, Numm, IdQuery, IdRemoteData, IsMaster, QueryShortName) VALUES ((SELECT Id FROM VornForm WHERE Name = 'Накладные клиента с составом'), 2, (SELECT Id FROM VornQuery WHERE Name = 'Строки накладной'), NULL, 0, 'Query2');
INSERT INTO VornFrm2Qry (IdForm, Numm, IdQuery, IdRemoteData, IsMaster, QueryShortName) VALUES ((SELECT Id FROM VornForm WHERE Name = 'Состав накладной'), 1, (SELECT Id FROM VornQuery WHERE Name = 'Состав выбранной накладной'), NULL, 0, 'Query1');
INSERT INTO VornFrm2Qry (IdForm, Numm, IdQuery, IdRemoteData, IsMaster, QueryShortName) VALUES ((SELECT Id FROM VornForm WHERE Name = 'Крупные покупатели'), 1, (SELECT Id FROM VornQuery WHERE Name = 'Крупные покупатели'), NULL, 0, 'Query1');
INSERT INTO VornFrm2Qry (IdForm, Numm, IdQuery, IdRemoteData, IsMaster, QueryShortName) VALUES ((SELECT Id FROM VornForm WHERE Name = 'Прайс-лист'), 1, (SELECT Id FROM VornQuery WHERE Name = 'Прайс-лист'), NULL, 0, 'Query1');
INSERT INTO VornFrm2Qry (IdForm, Numm, IdQuery, IdRemoteData, IsMaster, QueryShortName) VALUES ((SELECT Id FROM VornForm WHERE Name = 'Закупочные цены'), 1, (SELECT Id FROM VornQuery WHERE Name = 'Закупочные цены'), NULL, 0, 'Query1');
INSERT INTO VornFrm2Qry (IdForm, Numm, IdQuery, IdRemoteData, IsMaster, QueryShortName) VALUES ((SELECT Id FROM VornForm WHERE Name = 'Справочник клиентов'), 1, (SELECT Id FROM VornQuery WHERE Name = 'Справочник клиентов'), NULL, 0, 'Query1');
INSERT INTO VornFrm2Qry (IdForm, Numm, IdQuery, IdRemoteData, IsMaster, QueryShortName) VALUES ((SELECT Id FROM VornForm WHERE Name = 'Неоплаченные накладные'), 1, (SELECT Id FROM VornQuery WHERE Name = 'Неоплаченные накладные'), NULL, 0, 'Query1');
INSERT INTO VornFrm2Qry (IdForm, Numm, IdQuery, IdRemoteData, IsMaster, QueryShortName) VALUES ((SELECT Id FROM VornForm WHERE Name = 'Остатки на складе'), 1, NULL, (SELECT Id FROM VornRemoteData WHERE Name = 'Остатки на складе'), 0, 'Query1');

INSERT INTO VornScript (Numm, Name, Description, IdScrEng, ScriptText) VALUES (1, 'Сводка продаж', 'VBScript: итоги по накладным', 1, ''' Сводка продаж: число накладных, оборот, оплаченное и долги клиентов
Dim f, prm, ds, r, n, debt, fso, pdf, txt
Set f = GlobalVornMain.Functions
Set ds = f.OpenQuery("SELECT COUNT(*) AS Cnt, SUM(Total) AS Total FROM Invoices", Empty)
txt = "Накладных: " & ds.Fields("Cnt").Value & vbCrLf & _
      "Оборот: " & FormatNumber(ds.Fields("Total").Value, 2) & " руб."
ds.Close
'' параметры запроса берутся из словаря: имя -> значение
Set prm = CreateObject("Scripting.Dictionary")
prm.Add "Paid", 1
Set ds = f.OpenQuery("SELECT COUNT(*) AS Cnt, SUM(Total) AS Total FROM Invoices WHERE Paid = :Paid", prm)
txt = txt & vbCrLf & "Оплачено: " & ds.Fields("Cnt").Value & " на " & _
      FormatNumber(ds.Fields("Total").Value, 2) & " руб."
ds.Close
'' долги на сегодня: строки отчёта «Неоплаченные накладные» с его параметром
Set r = GlobalVornMain.Report("Неоплаченные накладные")
r.Params("OnDate").Value = Date
Set ds = r.Querys(1)
n = 0
debt = 0
Do While Not ds.Eof
  n = n + 1
  debt = debt + ds.Fields("Total").Value
  ds.Next
Loop
txt = txt & vbCrLf & "Не оплачено: " & n & " на " & FormatNumber(debt, 2) & " руб."
'' и тот же отчёт — в файл PDF во временной папке
Set fso = CreateObject("Scripting.FileSystemObject")
pdf = fso.BuildPath(fso.GetSpecialFolder(2).Path, "Неоплаченные накладные.pdf")
r.RunEx 3, 1, pdf
txt = txt & vbCrLf & "Отчёт о долгах: " & pdf
f.MessageBox txt, 64, "Сводка продаж"
');
INSERT INTO VornScript (Numm, Name, Description, IdScrEng, ScriptText) VALUES (2, 'Оборот по регионам', 'JScript: обход набора данных', 2, '// Оборот по регионам (оплаченные накладные) и число крупных покупателей
var main = GlobalVornMain, f = main.Functions;
// параметры запроса задаются списком: имя, значение, тип
var prm = main.NewQueryParams;
prm.Add("Paid", 1, 3, "");
var ds = f.OpenQuery("SELECT r.Name AS Region, SUM(i.Total) AS Total FROM Invoices i " +
                     "JOIN Clients c ON c.Id = i.ClientId JOIN Regions r ON r.Id = c.RegionId " +
                     "WHERE i.Paid = :Paid GROUP BY r.Name ORDER BY 2 DESC", prm);
var lines = [];
for (; !ds.Eof; ds.Next())
  lines.push(ds.Fields("Region").Value + ": " + ds.Fields("Total").Value.toFixed(2) + " руб.");
ds.Close();
// отчёт «Крупные покупатели» с нашими параметрами: обходим его строки
var r = main.Report("Крупные покупатели");
r.Params("MinTotal").Value = 1000000;
r.Params("MinCount").Value = 1;
r.Params("Discount").Value = 0;
var q = r.Querys(1), n = 0;
for (; !q.Eof; q.Next())
  n++;
lines.push("Покупателей с оборотом от 1 000 000 руб.: " + n);
f.MessageBox(lines.join("\r\n"), 64, "Оборот по регионам");
');

INSERT INTO VornGrpBody (IdGroup, IdForm, IdScript, Numm) VALUES ((SELECT Id FROM VornGroup WHERE GrpName = 'Продажи'), (SELECT Id FROM VornForm WHERE Name = 'Продажи по регионам за период'), NULL, 1);
INSERT INTO VornGrpBody (IdGroup, IdForm, IdScript, Numm) VALUES ((SELECT Id FROM VornGroup WHERE GrpName = 'Продажи'), (SELECT Id FROM VornForm WHERE Name = 'Накладные клиента с составом'), NULL, 2);
INSERT INTO VornGrpBody (IdGroup, IdForm, IdScript, Numm) VALUES ((SELECT Id FROM VornGroup WHERE GrpName = 'Продажи'), (SELECT Id FROM VornForm WHERE Name = 'Состав накладной'), NULL, 3);
INSERT INTO VornGrpBody (IdGroup, IdForm, IdScript, Numm) VALUES ((SELECT Id FROM VornGroup WHERE GrpName = 'Продажи'), (SELECT Id FROM VornForm WHERE Name = 'Крупные покупатели'), NULL, 4);
INSERT INTO VornGrpBody (IdGroup, IdForm, IdScript, Numm) VALUES ((SELECT Id FROM VornGroup WHERE GrpName = 'Продажи'), (SELECT Id FROM VornForm WHERE Name = 'Неоплаченные накладные'), NULL, 5);
INSERT INTO VornGrpBody (IdGroup, IdForm, IdScript, Numm) VALUES ((SELECT Id FROM VornGroup WHERE GrpName = 'Справочники'), (SELECT Id FROM VornForm WHERE Name = 'Прайс-лист'), NULL, 1);
INSERT INTO VornGrpBody (IdGroup, IdForm, IdScript, Numm) VALUES ((SELECT Id FROM VornGroup WHERE GrpName = 'Справочники'), (SELECT Id FROM VornForm WHERE Name = 'Закупочные цены'), NULL, 2);
INSERT INTO VornGrpBody (IdGroup, IdForm, IdScript, Numm) VALUES ((SELECT Id FROM VornGroup WHERE GrpName = 'Справочники'), (SELECT Id FROM VornForm WHERE Name = 'Справочник клиентов'), NULL, 3);
INSERT INTO VornGrpBody (IdGroup, IdForm, IdScript, Numm) VALUES ((SELECT Id FROM VornGroup WHERE GrpName = 'Справочники'), (SELECT Id FROM VornForm WHERE Name = 'Остатки на складе'), NULL, 4);
INSERT INTO VornGrpBody (IdGroup, IdForm, IdScript, Numm) VALUES ((SELECT Id FROM VornGroup WHERE GrpName = 'Сервис'), NULL, (SELECT Id FROM VornScript WHERE Name = 'Сводка продаж'), 1);
INSERT INTO VornGrpBody (IdGroup, IdForm, IdScript, Numm) VALUES ((SELECT Id FROM VornGroup WHERE GrpName = 'Сервис'), NULL, (SELECT Id FROM VornScript WHERE Name = 'Оборот по регионам'), 2);

INSERT INTO VornImports (Numm, Name, Description, FileTemplate, IdScrEng, SQLtext, ScriptText) VALUES (1, 'Прайс-лист поставщика (CSV)', 'Строки файла price_import.csv в таблицу PriceImport', 'price_import.csv', 1, 'INSERT INTO PriceImport (Code, Name, Unit, Price) VALUES (:Code, :Name, :Unit, :Price)', ''' Загрузка прайс-листа поставщика: строки "Код;Наименование;Ед.;Цена"
Dim fso, ts, line, parts, prm, n
Set fso = CreateObject("Scripting.FileSystemObject")
Set ts = fso.OpenTextFile(GlobalVornDataImport.FileName, 1)
ts.SkipLine
n = 0
Do While Not ts.AtEndOfStream
  line = ts.ReadLine
  If Len(Trim(line)) > 0 Then
    parts = Split(line, ";")
    Set prm = CreateObject("Scripting.Dictionary")
    prm("Code") = parts(0)
    prm("Name") = parts(1)
    prm("Unit") = parts(2)
    prm("Price") = GlobalVornDataImport.Functions.StrToFloatSep(parts(3), ",", " ")
    GlobalVornDataImport.ExecSQL prm, ""
    n = n + 1
  End If
Loop
ts.Close
GlobalVornDataImport.Functions.MessageBox "Загружено строк: " & n, 64, GlobalVornDataImport.Name
');

INSERT INTO VornLogins (LoginName, FullName) VALUES ('director', 'Директор Смирнов Алексей Викторович');
INSERT INTO VornLogins (LoginName, FullName) VALUES ('ivanov', 'Иванов Иван Петрович');
INSERT INTO VornLogins (LoginName, FullName) VALUES ('petrova', 'Петрова Наталья Васильевна');
INSERT INTO VornLogins (LoginName, FullName) VALUES ('managers', 'Менеджеры по продажам');

INSERT INTO VornUsers (IdTypObj, IdObj, LoginName) VALUES (1, (SELECT Id FROM VornGroup WHERE GrpName = 'Продажи'), 'managers');
INSERT INTO VornUsers (IdTypObj, IdObj, LoginName) VALUES (5, (SELECT Id FROM VornScript WHERE Name = 'Сводка продаж'), 'ivanov');
INSERT INTO VornUsers (IdTypObj, IdObj, LoginName) VALUES (6, (SELECT Id FROM VornImports WHERE Name = 'Прайс-лист поставщика (CSV)'), 'ivanov');
INSERT INTO VornUsers (IdTypObj, IdObj, LoginName) VALUES (1, (SELECT Id FROM VornGroup WHERE GrpName = 'Справочники'), 'petrova');
INSERT INTO VornUsers (IdTypObj, IdObj, LoginName) VALUES (2, (SELECT Id FROM VornForm WHERE Name = 'Накладные клиента с составом'), 'petrova');
