# Dictionary insert and lookup of 100,000 keys.
d = {}
for i in range(1, 100001):
    d["k" + str(i)] = i
hits = 0
for i in range(1, 200001):
    if ("k" + str(i)) in d:
        hits = hits + d["k" + str(i)]
print(len(d), hits)
