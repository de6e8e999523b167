# Integer loop with arithmetic.
s = 0
for i in range(1, 5000001):
    s = s + (i % 7) * 3 - 1
print(s)
