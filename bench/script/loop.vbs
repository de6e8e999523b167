' Integer loop with arithmetic.
Dim i, s
s = 0
For i = 1 To 5000000
  s = s + (i Mod 7) * 3 - 1
Next
WScript.Echo s
