# Array fill and sort (the same quicksort in both languages).
n = 200000
a = [0] * n
seed = 12345
for i in range(n):
    seed = (seed * 1103 + 12345) % 65536
    a[i] = seed

def qsort(lo, hi):
    i = lo
    j = hi
    p = a[(lo + hi) // 2]
    while i <= j:
        while a[i] < p:
            i = i + 1
        while a[j] > p:
            j = j - 1
        if i <= j:
            t = a[i]; a[i] = a[j]; a[j] = t
            i = i + 1; j = j - 1
    if lo < j:
        qsort(lo, j)
    if i < hi:
        qsort(i, hi)

qsort(0, n - 1)
print(a[0], a[n // 2], a[n - 1])
