# String building with + (the in-place form CPython optimises).
def main():
    s = ""
    for i in range(1, 300001):
        s += "x" + str(i % 10)
    print(len(s))
main()
