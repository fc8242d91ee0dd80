-- A customer's business database as it stood before this year's update: last year's
-- (older, fewer) rows of the four bracket tables, and one table of its own that the
-- refresh must leave alone. The bracket tables themselves are made first, by
-- testdata/bracket-tables-sqlite.sql.
CREATE TABLE employee (id INT, name NVARCHAR(20), salary INT);

INSERT INTO health_insu VALUES
  (1, 26400, 409, 818, 1227, 1636, 1281, 213),
  (2, 27600, 428, 856, 1284, 1712, 1339, 223),
  (3, 28800, 447, 894, 1341, 1788, 1397, 233);
INSERT INTO labor VALUES
  (1, 11100, 244, 855, 22, 78, '部分工時'),
  (2, 12540, 276, 966, 25, 88, '部分工時'),
  (3, 26400, 581, 2033, 53, 185, '基本工資');
INSERT INTO incom_rep VALUES
  (0, 68000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0),
  (68001, 69000, 2110, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
INSERT INTO retire VALUES
  (1, 1, 1, 1500, 1500),
  (1, 2, 1501, 3000, 3000),
  (1, 3, 3001, 4500, 4500),
  (1, 4, 4501, 6000, 6000);
INSERT INTO employee VALUES (1, '王小明', 42000), (2, '李美玲', 51000);
