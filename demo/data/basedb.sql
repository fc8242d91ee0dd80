-- A customer's business database as it stood before this year's update: the four
-- bracket tables with last year's (older, fewer) rows, and one table of its own that
-- the refresh must leave alone.
CREATE TABLE health_insu (grade SMALLINT, insured_amount INT, self MONEY, self_1dep MONEY,
  self_2dep MONEY, self_3dep MONEY, employer MONEY, gov_subsidy MONEY);
CREATE TABLE labor (grade SMALLINT, insured_salary INT, worker_share MONEY,
  employer_share MONEY, ei_worker MONEY, ei_employer MONEY, note NVARCHAR(20));
CREATE TABLE incom_rep (salary_from INT, salary_to INT, dep0 INT, dep1 INT, dep2 INT,
  dep3 INT, dep4 INT, dep5 INT, dep6 INT, dep7 INT, dep8 INT, dep9 INT, dep10 INT, dep11 INT);
CREATE TABLE retire (grp SMALLINT, grade SMALLINT, wage_from INT, wage_to INT,
  contribution_wage INT);
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
