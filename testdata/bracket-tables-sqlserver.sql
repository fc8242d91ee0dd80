-- The four bracket tables as a SQL Server target of the tests and benchmarks, each made
-- only where the database does not have it yet. The types are those of
-- bracket-tables-postgres.sql in T-SQL; the note is nvarchar so that its Chinese text
-- survives whatever the database's collation is.
IF OBJECT_ID(N'health_insu', N'U') IS NULL
  CREATE TABLE health_insu (grade smallint, insured_amount int, self numeric(19,4),
    self_1dep numeric(19,4), self_2dep numeric(19,4), self_3dep numeric(19,4),
    employer numeric(19,4), gov_subsidy numeric(19,4));
IF OBJECT_ID(N'labor', N'U') IS NULL
  CREATE TABLE labor (grade smallint, insured_salary int, worker_share numeric(19,4),
    employer_share numeric(19,4), ei_worker numeric(19,4), ei_employer numeric(19,4),
    note nvarchar(20));
IF OBJECT_ID(N'incom_rep', N'U') IS NULL
  CREATE TABLE incom_rep (salary_from int, salary_to int, dep0 int, dep1 int, dep2 int,
    dep3 int, dep4 int, dep5 int, dep6 int, dep7 int, dep8 int, dep9 int, dep10 int,
    dep11 int);
IF OBJECT_ID(N'retire', N'U') IS NULL
  CREATE TABLE retire (grp smallint, grade smallint, wage_from int, wage_to int,
    contribution_wage int);
