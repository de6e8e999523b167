#!/usr/bin/env python3
# Sample remote data module server: answers the program's "GetData" calls (an HTTP
# POST of JSON with the ProgID and the six arguments) with the flat result array.
# Usage: remote_module_server.py [--host 127.0.0.1] [--port 8211]   (port 0: any free one)
import argparse
import json
import os
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

FT_STRING, FT_INTEGER, FT_FLOAT, FT_DATE = 1, 3, 6, 9

STOCK = [
    ("Основной", "Т00001", "Сахар-песок", "кг", 1250.5, "2024-03-01"),
    ("Основной", "Т00003", "Рис круглозёрный", "кг", 830.0, "2024-03-01"),
    ("Основной", "Т00005", "Гречка ядрица", "кг", 412.25, "2024-03-02"),
    ("Основной", "Т00017", "Масло подсолнечное 1 л", "шт", 960.0, "2024-03-02"),
    ("Северный", "Т00001", "Сахар-песок", "кг", 300.0, "2024-03-01"),
    ("Северный", "Т00007", "Мука пшеничная в/с", "кг", 745.0, "2024-03-03"),
    ("Северный", "Т00019", "Чай чёрный 100 г", "шт", 128.0, "2024-03-03"),
]


def flat_result(columns, rows):
    """[N, reserved, type1, name1, ..., typeN, nameN, row values...] (element 1 first)."""
    out = [len(columns), 0]
    for ftype, name in columns:
        out += [ftype, name]
    for row in rows:
        out += list(row)
    return out


def params_of(arg):
    """The parameter argument: None or [[ParName, Value], ...]."""
    if arg is None:
        return {}
    return {p[0]: p[1] for p in arg if isinstance(p, list) and len(p) == 2}


def stock(args):
    store = str(params_of(args[0]).get("Store") or "").strip()
    rows = [r for r in STOCK if not store or r[0].lower() == store.lower()]
    cols = [(FT_STRING, "Store"), (FT_STRING, "Code"), (FT_STRING, "Goods"), (FT_STRING, "Unit"),
            (FT_FLOAT, "Qty"), (FT_DATE, "Updated")]
    return flat_result(cols, rows)


def echo(args):
    """Shows what arrived: one row per parameter plus the connection arguments (of the
    password only whether one came)."""
    rows = [(str(k), json.dumps(v, ensure_ascii=False)) for k, v in params_of(args[0]).items()]
    rows += [("@server", args[2]), ("@database", args[3]), ("@user", args[4]),
             ("@password", "given" if args[5] else "none")]
    return flat_result([(FT_STRING, "Name"), (FT_STRING, "Value")], rows)


def totals(args):
    """Whole numbers beyond 32 bits, as ledgers in kopecks have them."""
    rows = [("Итого", 7000000000), ("Возврат", -3000000000), ("Остаток", 12)]
    return flat_result([(FT_STRING, "Name"), (FT_INTEGER, "Kopecks")], rows)


def huge(args):
    """About 2 MB of rows, more than a small answer limit allows."""
    return flat_result([(FT_STRING, "Text")], [("x" * 1000,)] * 2000)


def slow(args):
    """Answers only after a long while, for waiting and cancelling."""
    time.sleep(float(params_of(args[0]).get("Seconds") or 20))
    return flat_result([(FT_STRING, "A")], [("late",)])


MODULES = {
    "vorn.stockserver": stock,
    "vorn.echo": echo,
    "vorn.totals": totals,
    "vorn.huge": huge,
    "vorn.slow": slow,
    # deliberately broken answers, for checking the client
    "vorn.short": lambda a: [3, 0, FT_STRING, "A"],
    "vorn.partialrow": lambda a: [2, 0, FT_STRING, "A", FT_INTEGER, "B", "x", 1, "y"],
    "vorn.nocolumns": lambda a: [0, 0],
    "vorn.badtype": lambda a: [1, 0, "x", "A", 1],
    "vorn.notarray": lambda a: {"a": 1},
    "vorn.fails": None,
}


class Handler(BaseHTTPRequestHandler):
    """POST /GetData with {"ProgID": ..., "GUID": ..., "Method": "GetData", "Args": [params,
    null, server, database, user, password]}; params is null or [[ParName, Value], ...].
    Answers {"result": [N, 0, type1, name1, ..., typeN, nameN, row values...]} (field type
    codes: 1 string, 3 integer, 6 float, 9 date as "yyyy-mm-dd", ...) or {"error": text}."""

    def log_message(self, fmt, *args):
        pass

    def reply(self, code, obj):
        body = json.dumps(obj, ensure_ascii=False).encode("utf-8")
        self.send_response(code)
        self.send_header("Content-Type", "application/json; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_POST(self):
        try:
            length = int(self.headers.get("Content-Length", "0"))
            req = json.loads(self.rfile.read(length).decode("utf-8"))
            prog = str(req.get("ProgID", "")).strip().lower()
            if req.get("Method") != "GetData":
                return self.reply(400, {"error": "Unknown method " + str(req.get("Method"))})
            args = req.get("Args") or []
            if len(args) != 6:
                return self.reply(400, {"error": "GetData takes 6 arguments"})
            if prog not in MODULES:
                return self.reply(404, {"error": "Class not registered: " + prog})
            fn = MODULES[prog]
            if fn is None:
                return self.reply(500, {"error": "Сервер модуля не смог получить данные"})
            self.reply(200, {"result": fn(args)})
        except Exception as e:  # a broken request is answered, never dropped
            self.reply(400, {"error": str(e)})


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--host", default="127.0.0.1")
    ap.add_argument("--port", type=int, default=8211)
    a = ap.parse_args()
    srv = ThreadingHTTPServer((a.host, a.port), Handler)
    parent = os.getppid()

    def watch_parent():  # a test that crashed leaves no server behind
        while os.getppid() == parent:
            time.sleep(1)
        os._exit(0)

    threading.Thread(target=watch_parent, daemon=True).start()
    print("listening on port %d" % srv.server_address[1], flush=True)
    try:
        srv.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    sys.exit(main())
