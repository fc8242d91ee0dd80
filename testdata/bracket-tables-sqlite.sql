-- The four bracket tables of a customer database, as a SQLite target of the tests, the
-- benchmarks and the demo (before demo/data/basedb.sql).
CREATE TABLE health_insu (grade SMALLINT, insured_amount INT, self MONEY, self_1dep MONEY,
  self_2dep MONEY, self_3dep MONEY, employer MONEY, gov_subsidy MONEY);
CREATE TABLE labor (grade SMALLINT, insured_salary INT, worker_share MONEY,
  employer_share MONEY, ei_worker MONEY, ei_employer MONEY, note NVARCHAR(20));
CREATE TABLE incom_rep (salary_from INT, salary_to INT, dep0 INT, dep1 INT, dep2 INT,
  dep3 INT, dep4 INT, dep5 INT, dep6 INT, dep7 INT, dep8 INT, dep9 INT, dep10 INT, dep11 INT);
CREATE TABLE retire (grp SMALLINT, grade SMALLINT, wage_from INT, wage_to INT,
  contribution_wage INT);
