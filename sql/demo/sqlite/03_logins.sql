-- Demo logins of the embedded catalogue: an administrator, two users and a role
-- (the password of each user is its login name). Passwords are kept as salted
-- SHA-256 hashes, as the dataset layer checks them at connect.

INSERT INTO VornLogin (LoginName, IsRole, IsAdmin, PwdSalt, PwdHash) VALUES ('director', 0, 1, 'd1r3', '38de9e05fc1e40ad6da44f96e6a9e1405aa314be92dbea0010c9a9122796d607');
INSERT INTO VornLogin (LoginName, IsRole, IsAdmin, PwdSalt, PwdHash) VALUES ('ivanov', 0, 0, '1va7', '42c3f744ce2227e0975cb9a494966c08bfcb9980b01836e1b3303565db26149e');
INSERT INTO VornLogin (LoginName, IsRole, IsAdmin, PwdSalt, PwdHash) VALUES ('petrova', 0, 0, 'p3tr', '2379afef0867c887d6125e7d1f3c926b3dbdd370ed3f8e30a3a9d8d9c14c896d');
INSERT INTO VornLogin (LoginName, IsRole, IsAdmin, PwdSalt, PwdHash) VALUES ('managers', 1, 0, '', '');
INSERT INTO VornLoginMember (LoginName, RoleName) VALUES ('ivanov', 'managers');
